// Asks the user for the offset and the extrude choice. Returns the modal
// run's end code (1 OK, 2 Cancel); unless it is 2, OffsetParameters hold
// the scaled offsets and the choice. Throws TXWindow when the dialog cannot
// be made. The dialog objects become children of ParentWindow.
#pragma once

int RunOffsetDialog();
