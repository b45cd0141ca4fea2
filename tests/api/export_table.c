/* Compiled as C: the public header must declare every documented export
 * with a C-compatible prototype. The table is the list of documented names
 * that the symbol test compares with the built library. */
#include "KorvexSdk_740K3_XLN.h"

#include "api/export_table.h"

// The tables below keep their hand-made columns.
// clang-format off

#define E(name) {#name, (KorvexExportAddress)name}

const KorvexExportEntry kKorvexExportTable[] = {
    E(Korvex_Initialize), E(Korvex_Release), E(Korvex_SetDeviceNumber), E(Korvex_EnumDevice),
    E(Korvex_EnumDeviceW), E(Korvex_GetDeviceName), E(Korvex_GetDeviceNameW),
    E(Korvex_GetCameraInfo), E(Korvex_Close), E(Korvex_GetLastError), E(Korvex_GetDllVersion),
    E(Korvex_Preview), E(Korvex_CallBackPreview), E(Korvex_StartPreview), E(Korvex_StopPreview),
    E(Korvex_Capture), E(Korvex_SnapShot), E(Korvex_GetImage), E(Korvex_Trigger),
    E(Korvex_GetStatus), E(Korvex_GetRealExposureTime),
    E(Korvex_SetPreviewWindow), E(Korvex_SetCaptureWindow), E(Korvex_SetCaptureWindowEx),
    E(Korvex_GetCaptureWindowEx),
    E(Korvex_SetFilterValue), E(Korvex_GetFilterValue),
    E(Korvex_SetBrightness), E(Korvex_GetBrightness), E(Korvex_SetContrast), E(Korvex_GetContrast),
    E(Korvex_SetHue), E(Korvex_GetHue), E(Korvex_SetSaturation), E(Korvex_GetSaturation),
    E(Korvex_SetSharpness), E(Korvex_GetSharpness), E(Korvex_SetBayerGainRGB),
    E(Korvex_GetBayerGainRGB), E(Korvex_SetBayerGainRed), E(Korvex_GetBayerGainRed),
    E(Korvex_SetBayerGainGreen), E(Korvex_GetBayerGainGreen), E(Korvex_SetBayerGainBlue),
    E(Korvex_GetBayerGainBlue), E(Korvex_SetBayerGainAuto), E(Korvex_GetBayerGainAuto),
    E(Korvex_SetGamma), E(Korvex_GetGamma), E(Korvex_SetBayerMode), E(Korvex_GetBayerMode),
    E(Korvex_SetGlobalGain), E(Korvex_GetGlobalGain), E(Korvex_SetColorGainRed),
    E(Korvex_GetColorGainRed), E(Korvex_SetColorGainGreen1), E(Korvex_GetColorGainGreen1),
    E(Korvex_SetColorGainGreen2), E(Korvex_GetColorGainGreen2), E(Korvex_SetColorGainBlue),
    E(Korvex_GetColorGainBlue), E(Korvex_SetExposureTime), E(Korvex_GetExposureTime),
    E(Korvex_SetGrayMode), E(Korvex_GetGrayMode), E(Korvex_SetGrayGainR), E(Korvex_GetGrayGainR),
    E(Korvex_SetGrayGainG1), E(Korvex_GetGrayGainG1), E(Korvex_SetGrayGainG2),
    E(Korvex_GetGrayGainG2), E(Korvex_SetGrayGainB), E(Korvex_GetGrayGainB),
    E(Korvex_SetGrayOffsetR), E(Korvex_GetGrayOffsetR), E(Korvex_SetGrayOffsetG1),
    E(Korvex_GetGrayOffsetG1), E(Korvex_SetGrayOffsetG2), E(Korvex_GetGrayOffsetG2),
    E(Korvex_SetGrayOffsetB), E(Korvex_GetGrayOffsetB),
    E(Korvex_Width), E(Korvex_Height), E(Korvex_SetColorMode), E(Korvex_GetColorMode),
    E(Korvex_SetSubSample), E(Korvex_GetSubSample), E(Korvex_SetWaitTime), E(Korvex_GetWaitTime),
    E(Korvex_SetMirrorH), E(Korvex_SetMirrorV), E(Korvex_GetMirrorH), E(Korvex_GetMirrorV),
    E(Korvex_SetAutoIris), E(Korvex_GetAutoIris), E(Korvex_SetIOPort), E(Korvex_GetIOPort),
    E(Korvex_SetConfigFilter), E(Korvex_GetConfigFilter), E(Korvex_SetRealExposureTime),
    E(Korvex_ReadRegister), E(Korvex_ReadRegisterEx), E(Korvex_WriteRegister),
    E(Korvex_WriteRegisterEx), E(Korvex_ReadSromID), E(Korvex_WriteSromID),
    E(Korvex_SaveImage), E(Korvex_SaveImageW), E(Korvex_Record), E(Korvex_RecordW),
    E(Korvex_LoadConfigFileA), E(Korvex_LoadConfigFileW), E(Korvex_SetCameraDlg),
    E(Korvex_SetAnalogDlg), E(Korvex_SetImageDlg),
    E(Korvex_Fpga_ReadRegister), E(Korvex_Fpga_WriteRegister), E(Korvex_Fps),
    E(Korvex_GetHalfClock), E(Korvex_SetCrossbar), E(Korvex_SetHalfClock),
    E(Korvex_SetSamplingRate), E(Korvex_GetSamplingRate), E(Korvex_GetVideoFormat),
};

const int kKorvexExportCount = (int)(sizeof kKorvexExportTable / sizeof kKorvexExportTable[0]);
// clang-format on
