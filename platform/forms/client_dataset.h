#pragma once
// An in-memory table of string fields, as the platform's client dataset: a
// cursor over the records, appending and posting, a filter expression, a
// record filter event and an index that sorts the records.
//
// Values are GBK byte strings; a value longer than its field is cut to the
// field's size in bytes, never inside a double-byte character.
//
// The records the cursor walks (the view) are those that pass the filter,
// when Filtered is on, in the order of the index fields, when set, else in the
// order they were appended. The filter expression is one or more comparisons
// joined by "and": field = 'text' (equal) or field = 'text*' (begins with
// text); field names are ASCII case-insensitive, values are compared byte for
// byte, a quote inside a value is written twice. An expression that cannot be
// read raises forms::Error when filtering is switched on (Filtered stays off)
// or when it is set while filtering is on (the previous one stays).
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "component.h"
#include "events.h"

namespace forms {

class ClientDataSet;
struct FilterExpression;

class Field {
 public:
  Field(ClientDataSet& data_set, std::size_t index, std::string name, int size)
      : data_set_(data_set), index_(index), name_(std::move(name)), size_(size) {}
  Field(const Field&) = delete;
  Field& operator=(const Field&) = delete;

  const std::string& FieldName() const { return name_; }
  int Size() const { return size_; }
  std::size_t Index() const { return index_; }

  // The value in the current record; the empty text for a null value or when
  // there is no current record.
  std::string AsString() const;
  bool IsNull() const;
  // Only while the dataset is appending or editing a record; cut to Size.
  void SetAsString(std::string_view value);
  void Clear();

 private:
  ClientDataSet& data_set_;
  std::size_t index_;
  std::string name_;
  int size_;
};

enum class DataSetState { Inactive, Browse, Insert, Edit };

class ClientDataSet : public Component {
 public:
  explicit ClientDataSet(std::string name = {});
  ~ClientDataSet() override;

  // Structure. Fields are defined before CreateDataSet; each is a string of
  // at most size bytes.
  void AddFieldDef(std::string name, int size);
  // Opens the dataset, empty, with the defined fields.
  void CreateDataSet();
  bool Active() const { return state_ != DataSetState::Inactive; }
  DataSetState State() const { return state_; }
  // Removes every record (the structure stays).
  void EmptyDataSet();

  const std::vector<std::unique_ptr<Field>>& Fields() const { return fields_; }
  // ASCII case-insensitive; FieldByName raises "Field 'x' not found".
  Field* FindField(std::string_view name) const;
  Field& FieldByName(std::string_view name) const;

  // Editing. Append starts a new record (all values null) and Edit a change
  // of the current one; Post stores it and makes it current, Cancel drops it.
  // Moving the cursor posts a record being edited.
  void Append();
  void Edit();
  void Post();
  void Cancel();
  // Append, set the values of the first fields in order, Post.
  void AppendRecord(const std::vector<std::string>& values);

  // The cursor.
  void First();
  void Last();
  void Next();
  void Prior();
  bool Eof() const { return eof_; }
  bool Bof() const { return bof_; }
  // Records in the view.
  int RecordCount() const;
  // 1-based position of the current record in the view; 0 when there is none.
  int RecNo() const;
  void SetRecNo(int rec_no);

  // Filtering.
  const std::string& Filter() const { return filter_text_; }
  void SetFilter(std::string filter);
  bool Filtered() const { return filtered_; }
  void SetFiltered(bool filtered);
  // Asked for every record while Filtered is on; the fields show that record.
  FilterRecordEvent OnFilterRecord;

  // Fields, separated by ";", by which the view is sorted ascending (byte
  // order of the values, appending order among equal ones); empty for the
  // appending order. An unknown field raises "Field 'x' not found".
  const std::string& IndexFieldNames() const { return index_field_names_; }
  void SetIndexFieldNames(std::string names);

 private:
  friend class Field;
  friend class DBGrid;
  using Record = std::vector<std::optional<std::string>>;

  void CheckActive() const;
  void CheckBrowseMode();
  // The record the fields show: the one being filtered or drawn, the one
  // being edited, or the current one; null when there is none.
  const Record* ShownRecord() const;
  Record* EditedRecord();
  // Rebuilds the view; the cursor stays on the record at the given index of
  // records_ when it is still in the view, else goes to the first record.
  void Rebuild(std::optional<std::size_t> keep);
  // Puts a record just appended into the view, where the index sorts it.
  void AddToView(std::size_t record);
  // Makes the record at that index of records_ current, or the first one
  // when it is not in the view.
  void Seek(std::optional<std::size_t> record);
  bool IndexLess(std::size_t a, std::size_t b) const;
  bool PassesFilter(std::size_t record);
  std::optional<std::size_t> CurrentIndex() const;

  // Shows one stored record to the fields while the object lives (the grid
  // draws with it; the filter event reads with it).
  class ShowRecord {
   public:
    ShowRecord(const ClientDataSet& data_set, std::size_t record);
    ~ShowRecord();
    ShowRecord(const ShowRecord&) = delete;
    ShowRecord& operator=(const ShowRecord&) = delete;

   private:
    const ClientDataSet& data_set_;
    std::optional<std::size_t> previous_;
  };

  struct FieldDef {
    std::string name;
    int size;
  };
  std::vector<FieldDef> field_defs_;
  std::vector<std::unique_ptr<Field>> fields_;
  DataSetState state_ = DataSetState::Inactive;
  std::vector<Record> records_;
  std::vector<std::size_t> view_;  // indexes into records_
  std::size_t position_ = 0;       // into view_, valid when view_ is not empty
  bool eof_ = true, bof_ = true;
  Record edit_buffer_;
  std::optional<std::size_t> edited_;  // the record Edit changes; none while appending
  mutable std::optional<std::size_t> shown_;
  std::string filter_text_;
  std::unique_ptr<FilterExpression> filter_;
  bool filtered_ = false;
  std::string index_field_names_;
  std::vector<std::size_t> index_fields_;
};

}  // namespace forms
