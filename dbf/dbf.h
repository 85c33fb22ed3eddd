// dbf: the table engine. A TDbfDataSet is one open dBase III / FoxPro table
// file; it holds the header, the field list, the current record and its
// record buffer. Field reads and writes work on the buffer; only Post and
// Delete write, and they write at once (record, then header), so the file on
// disk is complete after every change. TDbfNavigator is the hidden button bar
// the program presses in code. All I/O goes through dbf::FileSystem so tests
// can run on memory files and inject failures. Plain C++, no Qt.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace dbf {

// Dataset errors: fixed English texts, some with the component's name and
// ": " in front (see TDbfDataSet).
class EDatabaseError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Engine errors: the text for the code, " - ", then the detail.
class EDbfError : public std::runtime_error {
public:
  EDbfError(int code, const std::string &detail, int systemError = 0);
  int code() const { return m_code; }
  const std::string &detail() const { return m_detail; }
  // The errno of the failed file call behind codes 2 to 183 (0 otherwise),
  // so a message can give the system's own reason ("No space left on device").
  int systemError() const { return m_systemError; }
  // The text for an error code ("dBase DBF file header invalid" for 1001, ...).
  static std::string textFor(int code, int subCode = 0);

private:
  int m_code;
  std::string m_detail;
  int m_systemError;
};

// The file a store failed on and the reason, in words a user can act on:
// "/home/u/TIMELIST.DBF: No space left on device". Engine errors of a file
// call give the system's reason; anything else its own text.
std::string describeStoreFailure(const std::exception &e);

struct FieldDef {
  std::string name;  // as stored: upper case, at most 10 characters
  char type = 'C';   // 'N', 'C', 'F', 'D', 'L', 'M', 'B', 'G'
  int width = 0;
  int decimals = 0;
  int offset = 0;  // within the record, the deletion flag being byte 0
};

// Asked for field 1, 2, 3, ... in turn; fills def and returns true to go on.
// Asking stops at the first empty name or when it returns false.
using FieldListCallback = std::function<bool(int index, FieldDef &def)>;

// A value to search for: a number (its plain decimal text is the key) or a text.
using LocateKey = std::variant<double, std::string>;
enum LocateOptions { loCaseInsensitive = 1, loPartialKey = 2 };

class FileSystem;  // dbf/fileio.h

class TDbfDataSet {
public:
  enum class State { Closed, Browse, Edit, Insert };

  // name is the component's name, put in front of some dataset errors.
  explicit TDbfDataSet(std::string name = "DbfDataSet", FileSystem *fs = nullptr);
  ~TDbfDataSet();
  TDbfDataSet(const TDbfDataSet &) = delete;
  TDbfDataSet &operator=(const TDbfDataSet &) = delete;

  const std::string &Name() const { return m_name; }
  // The files this component reads and writes.
  FileSystem &fileSystem() const;

  // Writes a new empty table file; flavour 'F' (FoxPro), 'C'/'3' (dBase III),
  // '4'/'5' (dBase IV); any other letter writes nothing and returns false.
  // Does not touch this component's state.
  bool CreateTable(const std::string &tableName, char flavour, const FieldListCallback &fields);

  void SetTableName(const std::string &name);  // only while closed
  const std::string &TableName() const { return m_tableName; }
  // The file's path as opened ("" while closed).
  const std::string &FilePath() const;

  // A file that may be read but not written opens all the same: ReadOnly()
  // is then true and every change fails with "File access denied".
  void Open();
  void Close();
  bool ReadOnly() const;
  // The open file ends in a record cut short; the whole records before it
  // are the table, and the next append writes over the broken bytes.
  bool DamagedEnd() const;
  bool Active() const { return m_state != State::Closed; }
  State state() const { return m_state; }

  int RecordCount() const;
  int RecNo() const;
  bool Bof() const;
  bool Eof() const;
  const std::vector<FieldDef> &Fields() const;

  void First();
  void Prior();
  void Next();
  void Last();
  void GotoPosition(int n);
  void Refresh();

  bool Locate(const std::string &field, const LocateKey &value, int options = loCaseInsensitive);
  bool LocateNext(const std::string &field, const LocateKey &value, int afterRecNo,
                  int options = loCaseInsensitive);

  double FloatGet(const std::string &field);
  void FloatPut(const std::string &field, double value);
  int32_t IntegerGet(const std::string &field);
  void IntegerPut(const std::string &field, int32_t value);
  std::string StringGet(const std::string &field);
  void StringPut(const std::string &field, const std::string &value);
  // Reads by position in Fields() (0-based), for tools that show every field
  // of a foreign file, two of one name included.
  double FloatGetAt(int index);
  std::string StringGetAt(int index);

  void Insert();
  void Edit();
  void Post();
  void Cancel();
  void Delete();

  // Copies the live records into a new table file named target (trimmed,
  // upper-cased, ".DBF" added) in the current directory.
  void PackTo(const std::string &target);

  // Replaces the table by its packed copy so that a crash at any moment
  // leaves either the old table or the packed one: PackTo(scratch), fsync the
  // copy, close, rename() the copy over the table file in one step, reopen.
  // The records numbered in leaveOut (physical numbers) are left out of the
  // copy as if they had been deleted, without ever marking them in the table:
  // a crash before the rename so leaves the table exactly as it was.
  void ReplaceByPackedCopy(const std::string &scratch = "pp",
                           const std::vector<int> &leaveOut = {});

  // Hands every physical record from record `from` on in file order, deleted
  // ones included, to visit(record number, record bytes with the deletion
  // flag first), reading the file in large blocks; visit returns false to
  // stop. The current record does not move.
  void ScanRecords(const std::function<bool(int recNo, const char *record)> &visit, int from = 1);
  // Appends a record of this table's layout byte for byte (as live), the way
  // Insert, field puts and Post would.
  void AppendRecordBytes(const std::string &record);
  // The record buffer's bytes, deletion flag first.
  std::string CurrentRecordBytes() const;

  // Is the current record marked deleted (for tools that walk physical records)?
  bool CurrentDeleted() const;
  // Raw access for tools: moves to physical record n (1..RecordCount), deleted or not.
  void GotoPhysical(int n);

  struct Impl;

private:
  void checkActive() const;
  void checkWritable() const;
  void checkFieldAccess() const;
  void endPendingChange();
  // Opens the table again when its name now stands for another file than
  // the one open (replaced by a rename), before the next read or write.
  void followReplacement(bool forWrite);
  void showRecord(uint32_t n);
  void showNoRecord();
  const FieldDef &fieldFor(const std::string &field) const;
  const FieldDef &fieldAt(int index) const;
  double numberOf(const FieldDef &f) const;
  std::string textOf(const FieldDef &f) const;
  bool locateFrom(const std::string &field, const LocateKey &value, uint32_t first, int options);
  // PackTo's work; returns the target's path.
  std::string packInto(const std::string &target, bool syncCopy,
                       const std::vector<int> &leaveOut = {});

  std::string m_name;
  std::string m_tableName;
  State m_state = State::Closed;
  std::unique_ptr<Impl> m_impl;
};

// The value of a numeric field in a record's bytes (as FloatGet reads it);
// false when its text is not a number.
bool NumberAt(const char *record, const FieldDef &field, double &out);
// Is the record's deletion flag set?
bool RecordDeleted(const char *record);

class TDbfNavigator {
public:
  enum Button {
    nbTop = 0, nbPrev, nbNext, nbBttm, nbInsert, nbCopy,
    nbEdit, nbDelete, nbPost, nbCancel, nbFind, nbRefresh
  };
  explicit TDbfNavigator(TDbfDataSet &dataSet) : m_dataSet(dataSet) {}

  bool ConfirmDelete = true;
  // Asks the question ("Delete record?") and returns true for OK. The
  // default answers OK; the program installs a real confirmation box.
  std::function<bool(const std::string &question)> Confirm;

  // Presses the button with that index; nothing happens while the table is closed.
  void BtnClick(int index);

private:
  TDbfDataSet &m_dataSet;
};

}  // namespace dbf
