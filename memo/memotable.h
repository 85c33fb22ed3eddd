// memo: the memo table "TextList.dbf" and the list of memos in memory. A
// TMemoTable loads every memo in creation order, adds and deletes memos,
// and writes into the table what the note windows report (lock, show, text).
// The notes themselves are opened and closed through two callbacks, so this
// class never sees a window; TMemoListForm binds them to the note library.
//
// Records stay positions: every delete is followed by a compaction, so a
// memo's RecNo is always its Index + 1.
//
// A store that fails (a full disk, a table that may only be read) leaves the
// memo as the user made it in memory and is told through the report
// callback with the file and the reason; nothing half-written stays behind.
#pragma once

#include "hovrel.h"

#include "dbf.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct SMemoTimeParts {
  int year, month, day, hour, minute;
};

class TMemoTable {
public:
  // Opens memo's note; on return memo->NoteWnd is set (CreatTopWnd).
  using OpenNote = std::function<void(SMEMOLISTDATA *memo)>;
  // Sends a close request to memo->NoteWnd and returns once the note closed.
  using CloseNote = std::function<void(SMEMOLISTDATA *memo)>;

  static constexpr const char *kFileName = "TextList.dbf";
  static constexpr const char *kTableName = "TextList";
  static constexpr int kTextWidth = 249;
  // The list window's grid has room for this many memos.
  static constexpr int kListedRows = 54;

  // A message for the user (UTF-8).
  using Report = std::function<void(const std::string &message)>;

  // fs: the files the table lives in (the real ones when null).
  TMemoTable(OpenNote openNote, CloseNote closeNote, dbf::FileSystem *fs = nullptr);
  void SetReport(Report report) { m_report = std::move(report); }
  ~TMemoTable();
  TMemoTable(const TMemoTable &) = delete;
  TMemoTable &operator=(const TMemoTable &) = delete;

  // Creates the table file when missing, opens it shared and loads every
  // memo, opening the notes of those marked shown. A file whose fields are
  // not the memo table's, or with a record that cannot be read, is left
  // closed and untouched (the error passes through); the list stays empty.
  void Open();
  bool IsOpen() const { return m_dataSet.Active(); }

  int Count() const { return static_cast<int>(m_memos.size()); }
  SMEMOLISTDATA *Memo(int index) const;
  // The record the list handed to a note, or nullptr for a pointer it never handed out.
  SMEMOLISTDATA *Find(const SMEMOLISTDATA *memo) const;
  // The memo's text as the list holds it (GBK).
  std::string Text(int index) const;

  // A new memo made now: shown, empty, appended to the table; its note
  // opened. nullptr, and a report, when the table cannot store it.
  SMEMOLISTDATA *Add();
  // Opens the note of the memo on grid row `row` (1-based) unless it is shown
  // already or the row holds no memo. True when a note was opened.
  bool ShowAgain(int row);
  // Deletes the memo on grid row `row`; its note is closed first. False when
  // the row holds no memo, or the table could not be rewritten (reported;
  // the memo stays).
  bool Delete(int row);
  // Closes every shown note and frees every memo (the list window's close).
  void CloseAll();
  // While the program is ending, notes are closed by the program and not by
  // the user: their reports leave SHOW as it is, so they come back at the
  // next start. False again when the program goes on after all.
  void SetEnding(bool ending) { m_ending = ending; }

  // What a note reported; returns the row to repaint for WM_MEMO_REDRAW
  // (Index + 1), else 0. Unknown records and messages are ignored.
  int HandleMessage(unsigned message, SMEMOLISTDATA *memo, intptr_t lParam);

  // "%0.2d-%0.2d-%0.2d %0.2d:%0.2d" of a date-time number.
  static std::string FormatDateTime(double dateTime);
  static SMemoTimeParts SplitDateTime(double dateTime);

  dbf::TDbfDataSet &DataSet() { return m_dataSet; }

private:
  struct Entry;
  void CreateTableFile();
  void Load();
  void OpenNoteOf(Entry &e);
  // False, after a report, when the field could not be stored.
  bool SaveField(Entry &e, const char *field);
  void storeFailed(const std::exception &e);
  void SetText(Entry &e, std::string text);
  Entry *EntryOf(const SMEMOLISTDATA *memo) const;

  OpenNote m_openNote;
  CloseNote m_closeNote;
  dbf::TDbfDataSet m_dataSet;
  dbf::TDbfNavigator m_navigator;
  std::vector<std::unique_ptr<Entry>> m_memos;  // MemoList, in creation order
  bool m_ending = false;
  Report m_report;
  std::string m_lastFailure;
};
