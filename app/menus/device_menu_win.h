// Fills the Device menu (the second menu of the owner's menu bar) with one
// item per listed wave-input device: its command id the device's
// (DeviceCommandId of its number), its text the device's name. The
// placeholder item the menu resource carries at position 0 is deleted
// afterwards, also when no device exists (the menu is then empty).
// User-interface thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "capture/audio_input.h"
#include "capture/device_list.h"

// Position of the Device menu in the menu bar.
inline constexpr int kDeviceMenuPosition = 1;

void ListDevices(HWND hOwnerWnd, AudioInput& input);

// Replaces every device item of the Device menu with one per device of
// `devices`, in order; the item of a file that plays stays, last, as it was.
void ShowDeviceItems(HWND hOwnerWnd, const std::vector<InputDevice>& devices);

// Marks the device that has gone in the Device menu: a greyed, checked item
// "<name> (not connected)" before the file's item, and no other device
// checked (another device may now stand at its number). An empty name
// removes the item. `goneName`: WaveCapture::GoneDeviceName. Runs after SyncMenu, as the menu opens.
void MarkGoneDevice(HWND hOwnerWnd, HINSTANCE instance, const std::string& goneName);
