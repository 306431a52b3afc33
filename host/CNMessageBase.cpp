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

void CNMessageBase::Field::Release() {
  switch (kind) {
    case FieldKind::kObject:
      delete objectSlot;
      break;
    case FieldKind::kList:
      delete listSlot;
      break;
    case FieldKind::kIntList:
      delete intsSlot;
      break;
    case FieldKind::kULongList:
      delete ulongsSlot;
      break;
    default:
      break;
  }
  number = 0;
}

void CNMessageBase::copyField(const Field& from, Field& to) {
  to.Release();
  to.index = from.index;
  to.id = from.id;
  to.kind = from.kind;
  to.text = from.text;
  switch (from.kind) {
    case FieldKind::kObject:
      to.objectSlot = from.objectSlot ? from.objectSlot->Clone().release() : nullptr;
      break;
    case FieldKind::kList:
      to.listSlot = from.listSlot ? new CNMessageList(*from.listSlot) : nullptr;
      break;
    case FieldKind::kIntList:
      to.intsSlot = from.intsSlot ? new std::vector<int>(*from.intsSlot) : nullptr;
      break;
    case FieldKind::kULongList:
      to.ulongsSlot = from.ulongsSlot ? new std::vector<unsigned long>(*from.ulongsSlot) : nullptr;
      break;
    default:
      to.number = from.number;
  }
}

CNMessageBase::Field& CNMessageBase::reset(int index, int id, FieldKind kind) {
  // Reuses the map node, so only the old contents go away.
  Field& field = fields_[index];
  field.Release();
  std::string().swap(field.text);
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
  if (it != fields_.end() && it->second.list() != nullptr) return &it->second.listSlot;
  Field& field = reset(index, id, FieldKind::kList);
  field.listSlot = new CNMessageList();
  return &field.listSlot;
}

std::vector<int>** CNMessageBase::getlistint(int index, int id, bool) {
  check(index, id, FieldKind::kIntList);
  auto it = fields_.find(index);
  if (it != fields_.end() && it->second.ints() != nullptr) return &it->second.intsSlot;
  Field& field = reset(index, id, FieldKind::kIntList);
  field.intsSlot = new std::vector<int>();
  return &field.intsSlot;
}

std::vector<unsigned long>** CNMessageBase::getlistulong(int index, int id, bool) {
  check(index, id, FieldKind::kULongList);
  auto it = fields_.find(index);
  if (it != fields_.end() && it->second.ulongs() != nullptr) return &it->second.ulongsSlot;
  Field& field = reset(index, id, FieldKind::kULongList);
  field.ulongsSlot = new std::vector<unsigned long>();
  return &field.ulongsSlot;
}

void CNMessageBase::setlistulong(int index, int id, const std::vector<unsigned long>* values) {
  check(index, id, FieldKind::kULongList);
  // Copy first: `values` may be this very field's list.
  auto copy = values != nullptr ? std::make_unique<std::vector<unsigned long>>(*values)
                                : std::make_unique<std::vector<unsigned long>>();
  Field& field = reset(index, id, FieldKind::kULongList);
  field.ulongsSlot = copy.release();
}

CNMessageBase** CNMessageBase::getObjectAccessor(bool, bool, int index, int id, int group, int cls) {
  check(index, id, FieldKind::kObject);
  auto it = fields_.find(index);
  if (it != fields_.end() && it->second.object() != nullptr) return &it->second.objectSlot;
  // Create first: the field must never own a half-made value.
  std::unique_ptr<CNMessageBase> created = CreateMessage(group, cls);
  Field& field = reset(index, id, FieldKind::kObject);
  field.objectSlot = created.release();
  return &field.objectSlot;
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
  field.objectSlot = copy.release();
}

void CNMessageBase::Initialize() {
  // The schema tables are built on first use; touching them here moves that
  // work out of the first message look-up.
  MessageGroupName(0);
}
