// The Device menu's second way in: the audio endpoints. Below the wave-input
// devices come the capture endpoints by their friendly names, then, after a
// separator, one "what this PC plays" item per render endpoint (loopback).
// Choosing one opens it at its mix rate (the rate follows it, as a rate
// command would); where the system refuses it (loopback under Wine), one
// message names the endpoint and the previous input keeps running. The choice
// ("input_path", "endpoint_id") lives in tavrin.ini; param.bin's device number
// keeps meaning the wave-input device, which a device item chooses again.
//
// User-interface thread only.
#pragma once

struct App;

// The Device menu's input items: the wave-input devices (ShowDeviceItems),
// then the endpoints, before the file's item; app.endpointItems follows.
void ShowInputItems(App& app);

// The check marks of a menu about to open: the chosen endpoint's item while
// the endpoint is the way in (and no wave-input device then), none otherwise.
// Runs after SyncMenu.
void MarkInputChoice(App& app);

// An endpoint item: tries the endpoint, then makes it the input (true); false
// for another command.
bool HandleEndpointCommand(App& app, int id);

// A wave-input device was chosen: the wave-input devices are the way in again.
void UseWaveDevices(App& app);

// True while an endpoint is the way in.
bool EndpointIsInput(const App& app);

// Start-up: opens the stored way in, waiting for a stored endpoint that is
// away; a stored endpoint that the system refuses gives way to the stored
// wave-input device.
void OpenStoredInput(App& app);
