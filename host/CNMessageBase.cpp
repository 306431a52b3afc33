#include "host/CNMessageBase.h"

#include <utility>

#include "host/MessageSchema.h"

// ---- CNMessageList --------------------------------------------------------

CNMessageList::CNMessageList(const CNMessageList& other) {
  items_.reserve(other.items_.size());
  for (const auto& item : other.items_) items_.push_back(item->Clone());
}

CNMessageList& CNMessageList::operator=(const CNMessageList& other) {
  if (this == &other) return *this;
  CNMessageList copy(other);
  items_.swap(copy.items_);
  return *this;
}

CNMessageList::~CNMessageList() = default;

CNMessageBase* CNMessageList::Append(const CNMessageBase& message) {
  // Clone before growing the vector: `message` may be one of our own items.
  std::unique_ptr<CNMessageBase> copy = message.Clone();
  items_.push_back(std::move(copy));
  return items_.back().get();
}

// ---- CNMessageBase --------------------------------------------------------

CNMessageBase::CNMessageBase(int group, int cls) : group_(group), class_(cls) {}

CNMessageBase::CNMessageBase(const CNMessageBase& other) : group_(other.group_), class_(other.class_) {
  for (const auto& entry : other.fields_) copyField(entry.second, fields_[entry.first]);
}

CNMessageBase& CNMessageBase::operator=(const CNMessageBase& other) {
  if (this == &other) return *this;
  // Build the copy first: `other` may be nested inside this message.
  std::map<int, Field> copy;
  for (const auto& entry : other.fields_) copyField(entry.second, copy[entry.first]);
  group_ = other.group_;
  class_ = other.class_;
  fields_.swap(copy);
  return *this;
}

CNMessageBase::~CNMessageBase() = default;

std::unique_ptr<CNMessageBase> CNMessageBase::Clone() const { return std::make_unique<CNMessageBase>(*this); }

void CNMessageBase::copyField(const Field& from, Field& to) {
  to.index = from.index;
  to.id = from.id;
  to.kind = from.kind;
  to.text = from.text;
  to.object = from.object ? from.object->Clone() : nullptr;
  to.list = from.list ? std::make_unique<CNMessageList>(*from.list) : nullptr;
  to.ints = from.ints ? std::make_unique<std::vector<int>>(*from.ints) : nullptr;
  to.ulongs = from.ulongs ? std::make_unique<std::vector<unsigned long>>(*from.ulongs) : nullptr;
  switch (to.kind) {
    case FieldKind::kObject:
      to.objectView = to.object.get();
      break;
    case FieldKind::kList:
      to.listView = to.list.get();
      break;
    case FieldKind::kIntList:
      to.intsView = to.ints.get();
      break;
    case FieldKind::kULongList:
      to.ulongsView = to.ulongs.get();
      break;
    case FieldKind::kInt64:
      to.number = from.number;
      break;
    default:
      to.number = 0;
  }
}

CNMessageBase::Field& CNMessageBase::reset(int index, int id, FieldKind kind) {
  // Reuses the map node, so only the old contents go away.
  Field& field = fields_[index];
  field = Field();
  field.index = index;
  field.id = id;
  field.kind = kind;
  return field;
}

const CNMessageBase::Field* CNMessageBase::findField(int index) const {
  auto it = fields_.find(index);
  return it == fields_.end() ? nullptr : &it->second;
}

void CNMessageBase::check(int index, int id, FieldKind kind) const {
  if (SchemaChecksOn()) CheckSchemaAccess(group_, class_, index, id, kind);
}

void CNMessageBase::setstring(int index, int id, const std::string& value) {
  check(index, id, FieldKind::kString);
  std::string copy = value;  // `value` may be this very field's text
  reset(index, id, FieldKind::kString).text = std::move(copy);
}

void CNMessageBase::setint64(int index, int id, long long value) {
  check(index, id, FieldKind::kInt64);
  reset(index, id, FieldKind::kInt64).number = value;
}

std::string CNMessageBase::getstring(int index, int id) const {
  check(index, id, FieldKind::kString);
  const Field* field = findField(index);
  if (field == nullptr || field->kind != FieldKind::kString) return std::string();
  return field->text;
}

long long CNMessageBase::getint64(int id) const {
  for (const auto& entry : fields_) {
    const Field& field = entry.second;
    if (field.id == id && field.kind == FieldKind::kInt64) return field.number;
  }
  return 0;
}

long long CNMessageBase::getint64(int index, int id) const {
  check(index, id, FieldKind::kInt64);
  const Field* field = findField(index);
  if (field == nullptr || field->kind != FieldKind::kInt64) return 0;
  return field->number;
}

bool CNMessageBase::isSet(int index) const { return fields_.count(index) != 0; }

CNMessageList** CNMessageBase::getlistobject(int index, int id, bool) {
  check(index, id, FieldKind::kList);
  auto it = fields_.find(index);
  if (it != fields_.end() && it->second.kind == FieldKind::kList && it->second.list) {
    return &it->second.listView;
  }
  Field& field = reset(index, id, FieldKind::kList);
  field.list = std::make_unique<CNMessageList>();
  field.listView = field.list.get();
  return &field.listView;
}

std::vector<int>** CNMessageBase::getlistint(int index, int id, bool) {
  check(index, id, FieldKind::kIntList);
  auto it = fields_.find(index);
  if (it != fields_.end() && it->second.kind == FieldKind::kIntList && it->second.ints) {
    return &it->second.intsView;
  }
  Field& field = reset(index, id, FieldKind::kIntList);
  field.ints = std::make_unique<std::vector<int>>();
  field.intsView = field.ints.get();
  return &field.intsView;
}

std::vector<unsigned long>** CNMessageBase::getlistulong(int index, int id, bool) {
  check(index, id, FieldKind::kULongList);
  auto it = fields_.find(index);
  if (it != fields_.end() && it->second.kind == FieldKind::kULongList && it->second.ulongs) {
    return &it->second.ulongsView;
  }
  Field& field = reset(index, id, FieldKind::kULongList);
  field.ulongs = std::make_unique<std::vector<unsigned long>>();
  field.ulongsView = field.ulongs.get();
  return &field.ulongsView;
}

void CNMessageBase::setlistulong(int index, int id, const std::vector<unsigned long>* values) {
  check(index, id, FieldKind::kULongList);
  // Copy first: `values` may be this very field's list.
  auto copy = values != nullptr ? std::make_unique<std::vector<unsigned long>>(*values)
                                : std::make_unique<std::vector<unsigned long>>();
  Field& field = reset(index, id, FieldKind::kULongList);
  field.ulongs = std::move(copy);
  field.ulongsView = field.ulongs.get();
}

CNMessageBase** CNMessageBase::getObjectAccessor(bool, bool, int index, int id, int group, int cls) {
  check(index, id, FieldKind::kObject);
  auto it = fields_.find(index);
  if (it != fields_.end() && it->second.kind == FieldKind::kObject && it->second.object) {
    return &it->second.objectView;
  }
  Field& field = reset(index, id, FieldKind::kObject);
  field.object = CreateMessage(group, cls);
  field.objectView = field.object.get();
  return &field.objectView;
}

void CNMessageBase::setObjectAccessor(const void* message, int index, int id) {
  check(index, id, FieldKind::kObject);
  if (message == nullptr) {
    fields_.erase(index);
    return;
  }
  // Clone first: `message` may live inside the field being replaced.
  std::unique_ptr<CNMessageBase> copy = static_cast<const CNMessageBase*>(message)->Clone();
  Field& field = reset(index, id, FieldKind::kObject);
  field.object = std::move(copy);
  field.objectView = field.object.get();
}

void CNMessageBase::Initialize() {
  // The schema tables are built on first use; touching them here moves that
  // work out of the first message look-up.
  MessageGroupName(0);
}
