#include "client_dataset.h"

#include <algorithm>

#include "error.h"
#include "filter_expression.h"
#include "form.h"
#include "platform/win/code_page.h"

namespace forms {

// ---- Field ----------------------------------------------------------------

std::string Field::AsString() const {
  const auto* record = data_set_.ShownRecord();
  if (record == nullptr || !(*record)[index_]) return {};
  return *(*record)[index_];
}

bool Field::IsNull() const {
  const auto* record = data_set_.ShownRecord();
  return record == nullptr || !(*record)[index_];
}

void Field::SetAsString(std::string_view value) {
  (*data_set_.EditedRecord())[index_] = std::string(win::PrefixWithin(value, static_cast<std::size_t>(size_)));
}

void Field::Clear() { (*data_set_.EditedRecord())[index_].reset(); }

// ---- ClientDataSet ----------------------------------------------------------

ClientDataSet::ClientDataSet(std::string name) : Component(std::move(name)) {}
ClientDataSet::~ClientDataSet() = default;

void ClientDataSet::AddFieldDef(std::string name, int size) {
  if (Active()) throw Error("Cannot perform this operation on an open dataset");
  if (size <= 0) throw Error("Invalid field size " + std::to_string(size) + " for field '" + name + "'");
  for (const FieldDef& def : field_defs_) {
    if (SameName(def.name, name)) throw Error("Duplicate field name '" + name + "'");
  }
  field_defs_.push_back({std::move(name), size});
}

void ClientDataSet::CreateDataSet() {
  if (Active()) throw Error("Cannot perform this operation on an open dataset");
  if (field_defs_.empty()) throw Error("Missing data provider or data packet");
  fields_.clear();
  for (std::size_t i = 0; i < field_defs_.size(); ++i) {
    fields_.push_back(std::make_unique<Field>(*this, i, field_defs_[i].name, field_defs_[i].size));
  }
  records_.clear();
  state_ = DataSetState::Browse;
  Rebuild(std::nullopt);
}

void ClientDataSet::EmptyDataSet() {
  CheckActive();
  Cancel();
  records_.clear();
  Rebuild(std::nullopt);
}

Field* ClientDataSet::FindField(std::string_view name) const {
  for (const auto& field : fields_) {
    if (SameName(field->FieldName(), name)) return field.get();
  }
  return nullptr;
}

Field& ClientDataSet::FieldByName(std::string_view name) const {
  Field* field = FindField(name);
  if (field == nullptr) throw Error("Field '" + std::string(name) + "' not found");
  return *field;
}

void ClientDataSet::CheckActive() const {
  if (!Active()) throw Error("Cannot perform this operation on a closed dataset");
}

void ClientDataSet::CheckBrowseMode() {
  CheckActive();
  if (state_ == DataSetState::Insert || state_ == DataSetState::Edit) Post();
}

// ---- editing ----------------------------------------------------------------

void ClientDataSet::Append() {
  CheckBrowseMode();
  edit_buffer_.assign(fields_.size(), std::nullopt);
  edited_.reset();
  state_ = DataSetState::Insert;
}

void ClientDataSet::Edit() {
  CheckBrowseMode();
  std::optional<std::size_t> current = CurrentIndex();
  if (!current) {
    Append();  // as the platform does: editing an empty dataset appends
    return;
  }
  edit_buffer_ = records_[*current];
  edited_ = current;
  state_ = DataSetState::Edit;
}

void ClientDataSet::Post() {
  CheckActive();
  if (state_ == DataSetState::Browse) return;
  std::size_t stored;
  if (state_ == DataSetState::Insert) {
    records_.push_back(std::move(edit_buffer_));
    stored = records_.size() - 1;
  } else {
    records_[*edited_] = std::move(edit_buffer_);
    stored = *edited_;
  }
  const bool appended = !edited_;
  edit_buffer_.clear();
  edited_.reset();
  state_ = DataSetState::Browse;
  appended ? AddToView(stored) : Rebuild(stored);
}

void ClientDataSet::Cancel() {
  if (state_ != DataSetState::Insert && state_ != DataSetState::Edit) return;
  edit_buffer_.clear();
  edited_.reset();
  state_ = DataSetState::Browse;
}

void ClientDataSet::AppendRecord(const std::vector<std::string>& values) {
  if (values.size() > field_defs_.size()) throw Error("Too many values for the record");
  Append();
  for (std::size_t i = 0; i < values.size(); ++i) fields_[i]->SetAsString(values[i]);
  Post();
}

ClientDataSet::Record* ClientDataSet::EditedRecord() {
  if (state_ != DataSetState::Insert && state_ != DataSetState::Edit) {
    throw Error("Dataset not in edit or insert mode");
  }
  return &edit_buffer_;
}

const ClientDataSet::Record* ClientDataSet::ShownRecord() const {
  if (shown_) return &records_[*shown_];
  if (state_ == DataSetState::Insert || state_ == DataSetState::Edit) return &edit_buffer_;
  std::optional<std::size_t> current = CurrentIndex();
  return current ? &records_[*current] : nullptr;
}

std::optional<std::size_t> ClientDataSet::CurrentIndex() const {
  if (!Active() || view_.empty()) return std::nullopt;
  return view_[position_];
}

ClientDataSet::ShowRecord::ShowRecord(const ClientDataSet& data_set, std::size_t record)
    : data_set_(data_set), previous_(data_set.shown_) {
  data_set_.shown_ = record;
}

ClientDataSet::ShowRecord::~ShowRecord() { data_set_.shown_ = previous_; }

// ---- cursor -----------------------------------------------------------------

void ClientDataSet::First() {
  CheckBrowseMode();
  position_ = 0;
  bof_ = true;
  eof_ = view_.empty();
}

void ClientDataSet::Last() {
  CheckBrowseMode();
  position_ = view_.empty() ? 0 : view_.size() - 1;
  eof_ = true;
  bof_ = view_.empty();
}

void ClientDataSet::Next() {
  CheckBrowseMode();
  bof_ = false;
  if (position_ + 1 < view_.size()) {
    ++position_;
    eof_ = false;
  } else {
    eof_ = true;
  }
}

void ClientDataSet::Prior() {
  CheckBrowseMode();
  eof_ = false;
  if (position_ > 0 && !view_.empty()) {
    --position_;
    bof_ = false;
  } else {
    bof_ = true;
  }
}

int ClientDataSet::RecordCount() const {
  CheckActive();
  return static_cast<int>(view_.size());
}

int ClientDataSet::RecNo() const {
  if (!Active() || view_.empty() || state_ == DataSetState::Insert) return 0;
  return static_cast<int>(position_) + 1;
}

void ClientDataSet::SetRecNo(int rec_no) {
  CheckBrowseMode();
  if (rec_no < 1 || rec_no > static_cast<int>(view_.size())) throw Error("Record not found");
  position_ = static_cast<std::size_t>(rec_no - 1);
  bof_ = eof_ = false;
}

// ---- view: filter and index -------------------------------------------------

void ClientDataSet::SetFilter(std::string filter) {
  if (filtered_ && Active()) {
    auto parsed = std::make_unique<FilterExpression>(
        FilterExpression::Parse(filter, [this](std::string_view name) { return FieldByName(name).Index(); }));
    CheckBrowseMode();
    filter_ = std::move(parsed);
    filter_text_ = std::move(filter);
    Rebuild(CurrentIndex());
    return;
  }
  filter_text_ = std::move(filter);
  filter_.reset();
}

void ClientDataSet::SetFiltered(bool filtered) {
  if (filtered == filtered_) return;
  if (filtered && Active()) {
    filter_ = std::make_unique<FilterExpression>(FilterExpression::Parse(
        filter_text_, [this](std::string_view name) { return FieldByName(name).Index(); }));
  }
  if (Active()) CheckBrowseMode();
  filtered_ = filtered;
  if (!filtered) filter_.reset();
  if (!Active()) return;
  try {
    Rebuild(std::nullopt);
  } catch (...) {  // OnFilterRecord failed: filtering stays off
    filtered_ = false;
    filter_.reset();
    Rebuild(std::nullopt);
    throw;
  }
}

void ClientDataSet::SetIndexFieldNames(std::string names) {
  std::vector<std::size_t> fields;
  std::size_t start = 0;
  while (start <= names.size()) {
    std::size_t end = names.find(';', start);
    if (end == std::string::npos) end = names.size();
    std::string_view name = std::string_view(names).substr(start, end - start);
    if (!name.empty()) fields.push_back(FieldByName(name).Index());
    start = end + 1;
  }
  if (Active()) CheckBrowseMode();
  index_fields_ = std::move(fields);
  index_field_names_ = std::move(names);
  if (Active()) Rebuild(CurrentIndex());
}

bool ClientDataSet::PassesFilter(std::size_t record) {
  if (!filtered_) return true;
  if (filter_ == nullptr) {  // filtering was switched on before the dataset was opened
    filter_ = std::make_unique<FilterExpression>(FilterExpression::Parse(
        filter_text_, [this](std::string_view name) { return FieldByName(name).Index(); }));
  }
  if (!filter_->Matches(records_[record])) return false;
  if (!OnFilterRecord) return true;
  ShowRecord shown(*this, record);
  bool accept = true;
  OnFilterRecord(*this, accept);
  return accept;
}

bool ClientDataSet::IndexLess(std::size_t a, std::size_t b) const {
  static const std::string kNull;
  auto value = [this](std::size_t record, std::size_t field) -> const std::string& {
    const std::optional<std::string>& v = records_[record][field];
    return v ? *v : kNull;
  };
  for (std::size_t field : index_fields_) {
    if (int c = value(a, field).compare(value(b, field)); c != 0) return c < 0;
  }
  return false;
}

void ClientDataSet::Rebuild(std::optional<std::size_t> keep) {
  std::vector<std::size_t> view;
  for (std::size_t i = 0; i < records_.size(); ++i) {
    if (PassesFilter(i)) view.push_back(i);
  }
  if (!index_fields_.empty()) {
    std::stable_sort(view.begin(), view.end(), [this](std::size_t a, std::size_t b) { return IndexLess(a, b); });
  }
  view_ = std::move(view);
  Seek(keep);
}

void ClientDataSet::AddToView(std::size_t record) {
  if (!PassesFilter(record)) {
    Seek(std::nullopt);
    return;
  }
  // After every record that does not sort after it: the appending order among equal ones.
  auto at = index_fields_.empty() ? view_.end()
                                  : std::upper_bound(view_.begin(), view_.end(), record, [this](std::size_t a, std::size_t b) {
                                      return IndexLess(a, b);
                                    });
  view_.insert(at, record);
  Seek(record);
}

void ClientDataSet::Seek(std::optional<std::size_t> keep) {
  auto found = keep ? std::find(view_.begin(), view_.end(), *keep) : view_.end();
  if (found != view_.end()) {
    position_ = static_cast<std::size_t>(found - view_.begin());
    bof_ = eof_ = false;
  } else {
    position_ = 0;
    bof_ = true;
    eof_ = view_.empty();
  }
}

}  // namespace forms
