// The recording's file on Windows: writes at explicit offsets (WriteFile with
// an OVERLAPPED offset), so no write depends on the file pointer.
#pragma once

#include "capture/record_file.h"

std::unique_ptr<RecordFile> OpenRecordFileWin(const char* path);
