/* Resource and command identifiers, shared by the resource script and the
   program. Plain #defines: the resource compiler reads this file too. */
#ifndef TAVRIN_RESOURCE_IDS_H
#define TAVRIN_RESOURCE_IDS_H

#define IDS_APP_TITLE 103 /* "Tavrin", the window title */
#define IDS_CLASS_NAME 109 /* "QUOREL", the main window class */
#define IDD_ABOUT 103
#define IDI_APP 107
#define IDR_MAIN_MENU 109
#define IDR_ACCELERATORS 109
#define IDB_TEXTURE 131
#define IDC_VIEW_CURSOR 136
#define IDC_ABOUT_TEXT 1001

/* Commands of menu 109. */
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDM_DEVICE_NONE 32805
#define IDM_DEVICE_FIRST 2000 /* Device menu: the first device's item; app/commands/device_commands.h maps numbers to ids */
#define IDM_RUN 32790
#define IDM_STOP 32791
#define IDM_REC 32792
#define IDM_VIEW_WAVE 32775
#define IDM_VIEW_FFT 32776
#define IDM_VIEW_WAVE_FFT 32777
#define IDM_VIEW_CEPSTRUM 32859
#define IDM_VIEW_PITCH 32864
#define IDM_CAL 32866
#define IDM_PAUSE_0 32796
#define IDM_PAUSE_1 32841
#define IDM_PAUSE_5 32798
#define IDM_PAUSE_10 32799
#define IDM_PAUSE_50 32801
#define IDM_PAUSE_100 32802
#define IDM_PAUSE_500 32803
#define IDM_RATE_8000 32813
#define IDM_RATE_22050 32814
#define IDM_RATE_44100 32815
#define IDM_RATE_48000 32816
#define IDM_RATE_96000 32817
#define IDM_RATE_192000 32818
#define IDM_WINDOW_NONE 32783
#define IDM_WINDOW_HANNING 32784
#define IDM_WINDOW_HAMMING 32785
#define IDM_WINDOW_BLACKMAN 32786
#define IDM_LENGTH_1024 32825
#define IDM_LENGTH_2048 32826
#define IDM_LENGTH_4096 32827
#define IDM_LENGTH_8192 32828
#define IDM_LENGTH_16384 32832
#define IDM_LENGTH_32768 32833
#define IDM_GRID_LINEAR 32838
#define IDM_GRID_LOG 32839
#define IDM_COLOUR_ON 32845
#define IDM_COLOUR_OFF 32846
#define IDM_FILE_OPEN 32880 /* File menu: open a WAV file in place of the live input */
#define IDM_DEVICE_FILE 32881 /* Device menu: the WAV file that plays (present only then) */

/* Opening a WAV file: the open dialog's filter ('|' between its parts), the
   first line of the message a file that cannot be played gets, and one reason
   per kind of fault (IDS_WAV_ERROR_FIRST + the reader's error number). */
#define IDS_WAV_FILTER 140
#define IDS_WAV_CANNOT_PLAY 141
#define IDS_WAV_ERROR_FIRST 150

/* File menu: keeping what the window shows. */
#define IDM_COPY_PICTURE 32901 /* the client area's picture to the clipboard (also Ctrl+C) */
#define IDM_SAVE_PNG 32902     /* the picture as a PNG file */
#define IDM_SAVE_CSV 32903     /* the current frame's values as a CSV file */

/* Message texts of the export commands (%ls: the file chosen). */
#define IDS_EXPORT_FAILED 32912
#define IDS_COPY_FAILED 32913
/* Settings menu: the spectrogram's colour map (in the order of ColourMap). */
#define IDM_COLOUR_MAP_RAINBOW 33200
#define IDM_COLOUR_MAP_MAGMA 33201
#define IDM_COLOUR_MAP_GREY 33202
/* Settings menu: averaging of the spectrum views, and a fresh start of it. */
#define IDM_AVERAGE_OFF 33210
#define IDM_AVERAGE_FAST 33211
#define IDM_AVERAGE_SLOW 33212
#define IDM_AVERAGE_LINEAR 33213
#define IDM_AVERAGE_MAX 33214
#define IDM_AVERAGE_RESET 33215
/* View menu: the octave-band view, its band width (in the order of
   kBandFractions: 1/1 ... 1/24 octave) and its frequency weighting (Z, A, C). */
#define IDM_VIEW_BANDS 33220
#define IDM_BANDS_1 33221
#define IDM_BANDS_3 33222
#define IDM_BANDS_6 33223
#define IDM_BANDS_12 33224
#define IDM_BANDS_24 33225
#define IDM_WEIGHTING_Z 33226
#define IDM_WEIGHTING_A 33227
#define IDM_WEIGHTING_C 33228
/* Settings menu: the level calibration, its dialog (the known level typed
   in dB SPL) and its messages. */
#define IDM_CALIBRATE 33230
#define IDM_CALIBRATION_CLEAR 33231
#define IDD_CALIBRATE 33232
#define IDC_CALIBRATE_LEVEL 33233
#define IDS_CALIBRATE_NO_TONE 33234
#define IDS_CALIBRATE_BAD_LEVEL 33235

/* Messages about the files the program keeps: the settings not written at
   exit; REC that could not keep the previous take (%ls: the name it was to
   get, then the system's reason) or create its file (%ls: the file, the
   reason); the question before a file replaces a running recording (%ls: the
   file). */
#define IDS_SETTINGS_NOT_WRITTEN 33100
#define IDS_TAKE_NOT_KEPT 33101
#define IDS_TAKE_NOT_CREATED 33102
#define IDS_OPEN_DURING_REC 33103

/* Device menu: the chosen device while it is away, greyed and checked (%s:
   its name). */
#define IDM_DEVICE_GONE 33050
#define IDS_DEVICE_GONE 33051

/* Device menu: audio endpoints (app/commands/device_commands.h maps their
   items): capture endpoints from IDM_ENDPOINT_FIRST, render endpoints for
   loopback from IDM_LOOPBACK_FIRST, kEndpointItems of each. */
#define IDM_ENDPOINT_FIRST 33450
#define IDM_LOOPBACK_FIRST 33466
/* A loopback item's text (%ls: the render endpoint's name). */
#define IDS_LOOPBACK_ITEM 33490
/* The system refused an endpoint chosen by hand (%ls: its name, %08lX: the
   system's answer); the previous input keeps running. */
#define IDS_LOOPBACK_REFUSED 33491
#define IDS_ENDPOINT_REFUSED 33492

/* Keyboard and View menu. */
#define IDM_PLAY_TOGGLE 33300 /* Space: RUN when stopped, else STOP */
#define IDM_CAL_CLEAR 33301   /* View menu: drop the CAL reference */

/* Settings menu: the channel a source of several plays (IDM_CHANNEL_MIX +
   the choice: 0 the mix, 1 left, 2 right, up to 8), and the format REC
   writes (in the order of RecordFormat). */
#define IDM_CHANNEL_MIX 33400
#define IDM_CHANNEL_LEFT 33401
#define IDM_CHANNEL_RIGHT 33402
#define IDM_CHANNEL_3 33403
#define IDM_CHANNEL_4 33404
#define IDM_CHANNEL_5 33405
#define IDM_CHANNEL_6 33406
#define IDM_CHANNEL_7 33407
#define IDM_CHANNEL_8 33408
#define IDM_RECORD_PCM16 33410
#define IDM_RECORD_PCM24 33411
#define IDM_RECORD_FLOAT32 33412

#endif
