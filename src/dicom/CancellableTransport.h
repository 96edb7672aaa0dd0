#pragma once

#include "dicom/DicomPeer.h"

class DcmTransportLayer;

// A transport layer for DCMTK's network (ASC_setTransportLayer) whose TCP
// connections register their socket with cancel while they are open, so
// that a cancel from another thread shuts the socket down under a waiting
// read. Plain TCP only: it makes no secure connection.
DcmTransportLayer* newCancellableTransportLayer(DicomCancel& cancel);
