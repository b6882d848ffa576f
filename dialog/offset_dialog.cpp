#include "dialog/offset_dialog.h"

#include "core/call_objects.h"
#include "dialog/offset_result.h"
#include "dialog/offset_transfer_buffer.h"
#include "resources/resource_ids.h"
#include "winobj/check_box.h"
#include "winobj/dialog.h"
#include "winobj/edit.h"

int RunOffsetDialog() {
  auto* dialog = new TDialog(ParentWindow, IDD_OFFSET, PluginModule);
  dialog->SetTransferBuffer(&OffsetTransferBuffer);
  // Made in the order of the buffer's fields.
  new TEdit(dialog, IDC_EAST, kOffsetTextSize);
  new TEdit(dialog, IDC_NORTH, kOffsetTextSize);
  new TEdit(dialog, IDC_UP, kOffsetTextSize);
  new TCheckBox(dialog, IDC_EXTRUDE);

  PresetOffsetTransferBuffer();
  ResetOffsetParameters();
  const int code = dialog->Execute();
  if (code == IDCANCEL) return code;
  StoreOffsetParameters(CallRecord);
  return code;
}
