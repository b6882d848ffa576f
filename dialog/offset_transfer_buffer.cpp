#include "dialog/offset_transfer_buffer.h"

#include <initializer_list>

OffsetTransferRecord OffsetTransferBuffer = {};

void PresetOffsetTransferBuffer() {
  for (char* text : {OffsetTransferBuffer.EastText, OffsetTransferBuffer.NorthText, OffsetTransferBuffer.UpText}) {
    text[0] = '0';
    text[1] = '\0';
  }
  OffsetTransferBuffer.ExtrudeState = 1;
}
