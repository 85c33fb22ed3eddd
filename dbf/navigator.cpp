#include "dbf.h"

namespace dbf {

void TDbfNavigator::BtnClick(int index) {
  if (!m_dataSet.Active())
    return;
  switch (index) {
  case nbTop: m_dataSet.First(); break;
  case nbPrev: m_dataSet.Prior(); break;
  case nbNext: m_dataSet.Next(); break;
  case nbBttm: m_dataSet.Last(); break;
  case nbInsert: m_dataSet.Insert(); break;
  case nbEdit: m_dataSet.Edit(); break;
  case nbDelete:
    if (ConfirmDelete && Confirm && !Confirm("Delete record?"))
      return;
    m_dataSet.Delete();
    break;
  case nbPost: m_dataSet.Post(); break;
  case nbCancel: m_dataSet.Cancel(); break;
  case nbRefresh: m_dataSet.Refresh(); break;
  default:
    // nbCopy and nbFind only call handlers the program never assigns.
    break;
  }
}

}  // namespace dbf
