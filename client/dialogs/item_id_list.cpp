#include "dialogs/item_id_list.h"

#include "dialogs/combo_box_choice_list.h"
#include "format/choice_fillers.h"
#include "session/server_session.h"

void FillItemIdList(gui::ComboBox list, const CServerSession& session) {
  IOPCBrowseServerAddressSpace* browse = session.GetBrowseAddressSpace();
  if (browse == nullptr) return;
  IEnumString* enumerator = nullptr;
  const HRESULT result = browse->BrowseOPCItemIDs(OPC_FLAT, u"", VT_EMPTY, 0, &enumerator);
  if (FAILED(result)) {
    // A server that fails the call yet hands out an enumerator must not leak it.
    if (enumerator != nullptr) enumerator->Release();
    return;
  }
  ComboBoxChoiceList choices(list);
  FillListFromEnum(choices, enumerator, session);  // releases the enumerator
}
