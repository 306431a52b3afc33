// Field addresses (index, id) of the client reply messages and small typed
// accessors over the host's get-or-create message accessors. Shared by the
// client builders, the DB2 agent builder and their tests.
//
// The accessors return pointers into `parent`: valid until that field is
// replaced or `parent` is destroyed. They return null for a null parent or
// when the field holds a message of another class.
#pragma once

#include "host/CNMessageBase.h"
#include "host/Messages.h"

namespace clientfields {

struct FieldRef {
  int index;
  int id;
};

// App::ClientsList
inline constexpr FieldRef kListClients{1, 1};
inline constexpr FieldRef kListField2{2, 2};
inline constexpr FieldRef kListField3{3, 3};
// App::ClientInfo
inline constexpr FieldRef kInfoClient{1, 1};
inline constexpr FieldRef kInfoSettings{2, 2};
inline constexpr FieldRef kInfoAttributes{3, 3};
// App::ClientSettings
inline constexpr FieldRef kSettingsZyphor{1, 1};
inline constexpr FieldRef kSettingsTimeZoneName{11, 20};
inline constexpr FieldRef kSettingsField41{17, 41};
// ZyEntities::ZyphorEntity
inline constexpr FieldRef kZyphorName{1, 1};
inline constexpr FieldRef kZyphorField9{3, 9};
inline constexpr FieldRef kZyphorField10{4, 10};
inline constexpr FieldRef kZyphorEntityId{5, 11};
// ZyEntities::EntityId
inline constexpr FieldRef kEntityIdField0{0, 0};
// App::ClientAttributes
inline constexpr FieldRef kAttributeList{113, 167};
// App::AttributeInfo
inline constexpr FieldRef kAttributeName{2, 2};
inline constexpr FieldRef kAttributeKind{3, 6};
inline constexpr FieldRef kAttributeValue{4, 7};
// App::Client
inline constexpr FieldRef kClientEntity{1, 1};
inline constexpr FieldRef kClientOperatingSystem{2, 2};
inline constexpr FieldRef kClientField3{3, 3};
inline constexpr FieldRef kClientTimeZone{6, 12};
inline constexpr FieldRef kClientField18{12, 18};
inline constexpr FieldRef kClientInstallDirectory{13, 19};
inline constexpr FieldRef kClientComponents{19, 28};
inline constexpr FieldRef kClientPods{20, 29};
// ZyEntities::ClientEntity
inline constexpr FieldRef kClientName{1, 1};
inline constexpr FieldRef kClientHostName{2, 5};
// ZyEntities::TimeZoneEntity
inline constexpr FieldRef kTimeZoneStdName{1, 1};
// App::ComponentInfo and ZyEntities::ComponentEntity
inline constexpr FieldRef kComponentEntity{1, 1};
inline constexpr FieldRef kComponentInstallDirectory{2, 2};
inline constexpr FieldRef kComponentType{0, 0};
// App::PodInfo and ZyEntities::AppEntity
inline constexpr FieldRef kPodAppEntity{1, 1};
inline constexpr FieldRef kPodField2{2, 2};
inline constexpr FieldRef kPodInstances{6, 6};
inline constexpr FieldRef kAppType{0, 0};
inline constexpr FieldRef kAppName{1, 1};
// App::InstanceInfo and ZyEntities::InstanceEntity
inline constexpr FieldRef kInstanceEntity{1, 1};
inline constexpr FieldRef kInstanceBackupSets{8, 8};
inline constexpr FieldRef kInstanceName{1, 1};
// App::BackupSetInfo and ZyEntities::BackupSetEntity
inline constexpr FieldRef kBackupSetEntity{1, 1};
inline constexpr FieldRef kBackupSetField2{2, 2};
inline constexpr FieldRef kBackupSetSubclients{6, 6};
inline constexpr FieldRef kBackupSetName{1, 1};
// App::SubClientInfo and ZyEntities::SubclientEntity
inline constexpr FieldRef kSubclientEntity{1, 1};
inline constexpr FieldRef kSubclientField6{3, 6};
inline constexpr FieldRef kSubclientProperties{6, 9};
inline constexpr FieldRef kSubclientContent{7, 10};
inline constexpr FieldRef kSubclientName{1, 1};
// App::AttributeInfoEx
inline constexpr FieldRef kExName{3, 3};
inline constexpr FieldRef kExKind{4, 7};
inline constexpr FieldRef kExValue{5, 8};
// App::OperatingSystem and App::OsDetail
inline constexpr FieldRef kOsType{1, 1};
inline constexpr FieldRef kOsFamily{2, 2};
inline constexpr FieldRef kOsFlavour{3, 6};
inline constexpr FieldRef kOsVersion{5, 14};
inline constexpr FieldRef kOsDetail{6, 18};
inline constexpr FieldRef kOsDetailPlatform{1, 1};
inline constexpr FieldRef kOsDetailLevel{2, 5};

inline void SetString(CNMessageBase* m, FieldRef f, const std::string& v) { m->setstring(f.index, f.id, v); }
inline void SetInt(CNMessageBase* m, FieldRef f, long long v) { m->setint64(f.index, f.id, v); }
inline std::string GetString(const CNMessageBase* m, FieldRef f) { return m->getstring(f.index, f.id); }
inline long long GetInt(const CNMessageBase* m, FieldRef f) { return m->getint64(f.index, f.id); }
inline bool IsSet(const CNMessageBase* m, FieldRef f) { return m->isSet(f.index); }

// Nested message of field `f`, created as a T when absent.
template <class T>
T* Object(CNMessageBase* parent, FieldRef f) {
  if (parent == nullptr) return nullptr;
  CNMessageBase** slot =
      parent->getObjectAccessor(true, !parent->isSet(f.index), f.index, f.id, T::kGroup, T::kClass);
  return slot == nullptr ? nullptr : dynamic_cast<T*>(*slot);
}

// Nested message of field `f`; null when absent (nothing is created).
template <class T>
T* ExistingObject(CNMessageBase* parent, FieldRef f) {
  if (parent == nullptr || !parent->isSet(f.index)) return nullptr;
  return Object<T>(parent, f);
}

// The list of field `f`, created when absent.
inline CNMessageList* List(CNMessageBase* parent, FieldRef f) {
  if (parent == nullptr) return nullptr;
  CNMessageList** slot = parent->getlistobject(f.index, f.id, !parent->isSet(f.index));
  return slot == nullptr ? nullptr : *slot;
}

// Appends an empty T to the list of field `f` and returns the element in
// the list, to be filled in place.
template <class T>
T* AppendNew(CNMessageBase* parent, FieldRef f) {
  CNMessageList* list = List(parent, f);
  if (list == nullptr) return nullptr;
  return dynamic_cast<T*>(list->Append(T()));
}

}  // namespace clientfields
