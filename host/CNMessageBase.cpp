#include "host/CNMessageBase.h"

#include <algorithm>
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
  fields_.resize(other.fields_.size());
  for (size_t i = 0; i < fields_.size(); ++i) copyField(other.fields_[i], fields_[i]);
}

CNMessageBase& CNMessageBase::operator=(const CNMessageBase& other) {
  if (this == &other) return *this;
  // Build the copy first: `other` may be nested inside this message.
  std::vector<Field> copy(other.fields_.size());
  for (size_t i = 0; i < copy.size(); ++i) copyField(other.fields_[i], copy[i]);
  group_ = other.group_;
  class_ = other.class_;
  fields_.swap(copy);
  return *this;
}

CNMessageBase::~CNMessageBase() = default;

std::unique_ptr<CNMessageBase> CNMessageBase::Clone() const { return std::make_unique<CNMessageBase>(*this); }

// ---- Field ---------------------------------------------------------------

CNMessageBase::Field::Field(Field&& other) noexcept
    : index(other.index), id(other.id), kind(other.kind), text(std::move(other.text)) {
  number = other.number;  // the whole value, whichever kind (all are 8 bytes)
  other.kind = FieldKind::kString;
  other.number = 0;
}

CNMessageBase::Field& CNMessageBase::Field::operator=(Field&& other) noexcept {
  if (this == &other) return *this;
  Release();
  index = other.index;
  id = other.id;
  kind = other.kind;
  text = std::move(other.text);
  number = other.number;
  other.kind = FieldKind::kString;
  other.number = 0;
  return *this;
}

void CNMessageBase::Field::Release() {
  switch (kind) {
    case FieldKind::kObject:
      delete objectValue;
      break;
    case FieldKind::kList:
      delete listValue;
      break;
    case FieldKind::kIntList:
      delete intsBox;
      break;
    case FieldKind::kULongList:
      delete ulongsBox;
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
      to.objectValue = from.objectValue ? from.objectValue->Clone().release() : nullptr;
      break;
    case FieldKind::kList:
      to.listValue = from.listValue ? new CNMessageList(*from.listValue) : nullptr;
      break;
    case FieldKind::kIntList:
      to.intsBox = from.intsBox ? new ValueListBox<int>(from.intsBox->values) : nullptr;
      break;
    case FieldKind::kULongList:
      to.ulongsBox = from.ulongsBox ? new ValueListBox<unsigned long>(from.ulongsBox->values) : nullptr;
      break;
    default:
      to.number = from.number;
  }
}

// ---- Field storage ---------------------------------------------------------

namespace {
template <typename Fields>
auto LowerBound(Fields& fields, int index) {
  return std::lower_bound(fields.begin(), fields.end(), index,
                          [](const CNMessageBase::Field& f, int i) { return f.index < i; });
}
}  // namespace

CNMessageBase::Field* CNMessageBase::find(int index) {
  auto it = LowerBound(fields_, index);
  return it != fields_.end() && it->index == index ? &*it : nullptr;
}

const CNMessageBase::Field* CNMessageBase::findField(int index) const {
  auto it = LowerBound(fields_, index);
  return it != fields_.end() && it->index == index ? &*it : nullptr;
}

CNMessageBase::Field& CNMessageBase::reset(int index, int id, FieldKind kind) {
  // Room for the fields the class declares, at the first one: builders
  // set most of them, and growing the array one step at a time cost more
  // than the fields themselves.
  if (fields_.capacity() == 0) fields_.reserve(static_cast<size_t>(MessageFieldCount(group_, class_)));
  auto it = LowerBound(fields_, index);
  if (it == fields_.end() || it->index != index) it = fields_.emplace(it);
  Field& field = *it;
  field.Release();
  std::string().swap(field.text);
  field.index = index;
  field.id = id;
  field.kind = kind;
  return field;
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
  for (const Field& field : fields_) {
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

bool CNMessageBase::isSet(int index) const { return findField(index) != nullptr; }

CNMessageList** CNMessageBase::getlistobject(int index, int id, bool) {
  check(index, id, FieldKind::kList);
  Field* existing = find(index);
  if (existing != nullptr && existing->list() != nullptr) return &existing->listValue->self_;
  auto created = std::make_unique<CNMessageList>();
  Field& field = reset(index, id, FieldKind::kList);
  field.listValue = created.release();
  return &field.listValue->self_;
}

std::vector<int>** CNMessageBase::getlistint(int index, int id, bool) {
  check(index, id, FieldKind::kIntList);
  Field* existing = find(index);
  if (existing != nullptr && existing->ints() != nullptr) return &existing->intsBox->slot;
  auto created = std::make_unique<ValueListBox<int>>();
  Field& field = reset(index, id, FieldKind::kIntList);
  field.intsBox = created.release();
  return &field.intsBox->slot;
}

std::vector<unsigned long>** CNMessageBase::getlistulong(int index, int id, bool) {
  check(index, id, FieldKind::kULongList);
  Field* existing = find(index);
  if (existing != nullptr && existing->ulongs() != nullptr) return &existing->ulongsBox->slot;
  auto created = std::make_unique<ValueListBox<unsigned long>>();
  Field& field = reset(index, id, FieldKind::kULongList);
  field.ulongsBox = created.release();
  return &field.ulongsBox->slot;
}

void CNMessageBase::setlistulong(int index, int id, const std::vector<unsigned long>* values) {
  check(index, id, FieldKind::kULongList);
  // Copy first: `values` may be this very field's list.
  auto copy = std::make_unique<ValueListBox<unsigned long>>(values != nullptr ? *values
                                                                              : std::vector<unsigned long>());
  Field& field = reset(index, id, FieldKind::kULongList);
  field.ulongsBox = copy.release();
}

CNMessageBase** CNMessageBase::getObjectAccessor(bool, bool, int index, int id, int group, int cls) {
  check(index, id, FieldKind::kObject);
  Field* existing = find(index);
  if (existing != nullptr && existing->object() != nullptr) return &existing->objectValue->self_;
  // Create first: the field must never own a half-made value.
  std::unique_ptr<CNMessageBase> created = CreateMessage(group, cls);
  Field& field = reset(index, id, FieldKind::kObject);
  field.objectValue = created.release();
  return &field.objectValue->self_;
}

void CNMessageBase::setObjectAccessor(const void* message, int index, int id) {
  check(index, id, FieldKind::kObject);
  if (message == nullptr) {
    auto it = LowerBound(fields_, index);
    if (it != fields_.end() && it->index == index) fields_.erase(it);
    return;
  }
  // Clone first: `message` may live inside the field being replaced.
  std::unique_ptr<CNMessageBase> copy = static_cast<const CNMessageBase*>(message)->Clone();
  Field& field = reset(index, id, FieldKind::kObject);
  field.objectValue = copy.release();
}

void CNMessageBase::Initialize() {
  // The schema tables are built on first use; touching them here moves that
  // work out of the first message look-up.
  MessageGroupName(0);
}
