// A WAV file's bytes read through the Windows file calls, so that any path
// the shell hands over (Unicode included) opens. The file stays open, shared
// for reading, writing and deletion, until the source goes. One thread at a time.
#pragma once

#include <memory>
#include <string>

#include "capture/wav_reader.h"

// Null when the file cannot be opened or its size cannot be read.
std::unique_ptr<ByteSource> OpenFileBytes(const std::wstring& path);
