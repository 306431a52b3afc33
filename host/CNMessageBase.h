// Host message objects: a type pair (group, class) and typed fields
// addressed by (index, id). A field's index is unique inside a message;
// isSet() asks by index alone, as the host does.
//
// Ownership: a message owns all its nested messages and lists. Lists own
// copies of what is appended. Copying a message copies the whole tree and
// keeps the dynamic type of every nested message (Clone()).
// Accessors that return T** hand out a pointer to a slot that lives with
// the value: it stays valid until the field is replaced or the message is
// destroyed, whatever other fields are set meanwhile. Callers read through
// it and never store into it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/ZyHostApi.h"

class CNMessageBase;

// A list of messages held by value: Append() stores a copy and returns it,
// so a caller can fill an element in place after appending it empty.
class ZYHOST_API CNMessageList {
 public:
  CNMessageList() = default;
  CNMessageList(const CNMessageList& other);
  CNMessageList& operator=(const CNMessageList& other);
  ~CNMessageList();

  CNMessageBase* Append(const CNMessageBase& message);
  size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  CNMessageBase* at(size_t i) { return items_.at(i).get(); }
  const CNMessageBase* at(size_t i) const { return items_.at(i).get(); }
  CNMessageBase* back() { return items_.back().get(); }
  void clear() { items_.clear(); }

 private:
  friend class CNMessageBase;
  std::vector<std::unique_ptr<CNMessageBase>> items_;
  CNMessageList* self_ = this;  // the slot of the T** accessor; never copied
};

// An int or unsigned long list field's value with the slot its T**
// accessor hands out.
template <typename T>
struct ValueListBox {
  explicit ValueListBox(std::vector<T> v = {}) : values(std::move(v)), slot(&values) {}
  ValueListBox(const ValueListBox&) = delete;
  ValueListBox& operator=(const ValueListBox&) = delete;
  std::vector<T> values;
  std::vector<T>* slot;
};

enum class FieldKind { kString, kInt64, kObject, kList, kIntList, kULongList };

// Address and kind of one field as the schema declares it; the generated
// message classes carry one per field (host/Messages.h).
struct FieldRef {
  int index;
  int id;
  FieldKind kind;
};

class ZYHOST_API CNMessageBase {
 public:
  CNMessageBase(int group, int cls);
  CNMessageBase(const CNMessageBase& other);
  CNMessageBase& operator=(const CNMessageBase& other);
  virtual ~CNMessageBase();

  // Deep copy that keeps the dynamic type (derived message classes
  // override it).
  virtual std::unique_ptr<CNMessageBase> Clone() const;

  int group() const { return group_; }
  int classId() const { return class_; }

  void setstring(int index, int id, const std::string& value);
  void setint64(int index, int id, long long value);
  // Empty string / 0 when the field is absent or of another kind. The
  // field is found by index; its id is not compared.
  std::string getstring(int index, int id) const;
  long long getint64(int id) const;  // looks the field up by id
  long long getint64(int index, int id) const;

  bool isSet(int index) const;

  // Get-or-create list accessors: the list is created when absent
  // (whatever `create` says, so a wrong flag never yields a null list).
  CNMessageList** getlistobject(int index, int id, bool create);
  std::vector<int>** getlistint(int index, int id, bool create);
  std::vector<unsigned long>** getlistulong(int index, int id, bool create);
  // Replaces the list; a null pointer stores an empty list.
  void setlistulong(int index, int id, const std::vector<unsigned long>* values);

  // Nested message of field (index, id); created with type pair
  // (group, cls) when absent. The first flag is kept for call
  // compatibility with the host and is ignored.
  CNMessageBase** getObjectAccessor(bool, bool create, int index, int id, int group, int cls);
  // Stores a copy of `message` (a CNMessageBase*) into field (index, id);
  // a null pointer removes the field.
  void setObjectAccessor(const void* message, int index, int id);

  static void Initialize();

  // Read-only walk over the fields in ascending index order, for the XML
  // writer and for tests. A site's client list holds about a million
  // fields, so they are kept small and in one array per message: the value
  // of an object or list field is one owned pointer that shares its place
  // with an int64's number. A Field reference is valid until the next
  // field is set or removed.
  struct Field {
    Field() = default;
    Field(Field&& other) noexcept;
    Field& operator=(Field&& other) noexcept;
    ~Field() { Release(); }

    int index = 0;
    int id = 0;
    FieldKind kind = FieldKind::kString;
    std::string text;  // string fields
    union {
      long long number = 0;  // int64 fields
      // The owned value, by kind.
      CNMessageBase* objectValue;
      CNMessageList* listValue;
      ValueListBox<int>* intsBox;
      ValueListBox<unsigned long>* ulongsBox;
    };

    // The value of an object or list field; null for a field of another kind.
    const CNMessageBase* object() const { return kind == FieldKind::kObject ? objectValue : nullptr; }
    const CNMessageList* list() const { return kind == FieldKind::kList ? listValue : nullptr; }
    const std::vector<int>* ints() const {
      return kind == FieldKind::kIntList && intsBox != nullptr ? &intsBox->values : nullptr;
    }
    const std::vector<unsigned long>* ulongs() const {
      return kind == FieldKind::kULongList && ulongsBox != nullptr ? &ulongsBox->values : nullptr;
    }
    // Frees the owned value and leaves the field empty of its kind.
    void Release();
  };
  const std::vector<Field>& fields() const { return fields_; }
  const Field* findField(int index) const;

 private:
  Field& reset(int index, int id, FieldKind kind);
  // Reports an access that the schema does not allow (see
  // MessageSchema.h); a no-op while the checks are off.
  void check(int index, int id, FieldKind kind) const;
  static void copyField(const Field& from, Field& to);

  Field* find(int index);

  int group_;
  int class_;
  std::vector<Field> fields_;   // ascending index
  CNMessageBase* self_ = this;  // the slot of getObjectAccessor; never copied
};

// Schema signature of a message class, as _ReceiveMessage expects it.
inline unsigned long MessageSignature(int group, int cls) {
  return (static_cast<unsigned long>(group) << 16) | static_cast<unsigned long>(cls);
}
