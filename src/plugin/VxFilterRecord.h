/* The parameter records a filter host hands to the plug-in's entry point,
   as far as the plug-in reads and writes them. A plain C header: a host
   written in C can include it as it is.

   In the 32-bit build the fields sit at the host's own offsets (checked
   below); the reserved runs stand for the host's fields we never touch.
   A 64-bit build keeps the same fields in the same order at their native
   sizes, which is what a 64-bit host of ours fills in. */
#ifndef VELORA_PLUGIN_VXFILTERRECORD_H
#define VELORA_PLUGIN_VXFILTERRECORD_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The host's result codes and selectors that the plug-in uses. */
enum {
  VxFilterSelectorAbout = 0,
  VxFilterSelectorParameters = 1,
  VxFilterSelectorPrepare = 2,
  VxFilterSelectorStart = 3,
  VxFilterSelectorContinue = 4,
  VxFilterSelectorFinish = 5,
  VxFilterResultOk = 0,
  VxFilterResultUserCanceled = -128,
  VxFilterResultError = -23,
  VxFilterResultBadSelector = -30100,
  VxFilterModeRGB = 3
};

typedef struct VxFilterRect {
  int16_t top;
  int16_t left;
  int16_t bottom;
  int16_t right;
} VxFilterRect;

/* What platformData points to. */
typedef struct VxFilterPlatformData {
  intptr_t hwnd;
} VxFilterPlatformData;

/* Asks the host to fill inData or outData for the rectangles just set; 0 on success. */
typedef int16_t (*VxAdvanceStateProc)(void);

typedef struct VxFilterRecord {
  uint8_t reserved0[20];
  int16_t planes;
  VxFilterRect filterRect;
  uint8_t reserved1[22];
  VxFilterRect inRect;
  int16_t inLoPlane;
  int16_t inHiPlane;
  VxFilterRect outRect;
  int16_t outLoPlane;
  int16_t outHiPlane;
  void *inData;
  int32_t inRowBytes;
  void *outData;
  int32_t outRowBytes;
  uint8_t reserved2[4];
  VxFilterRect maskRect;
  uint8_t reserved3[24];
  int16_t imageMode;
  uint8_t reserved4[58];
  VxFilterPlatformData *platformData;
  uint8_t reserved5[32];
  VxAdvanceStateProc advanceState;
  uint8_t reserved6[64];
} VxFilterRecord;

typedef struct VxAboutRecord {
  VxFilterPlatformData *platformData;
  uint8_t reserved[252];
} VxAboutRecord;

#if defined(__cplusplus) || (defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L)
#if INTPTR_MAX == INT32_MAX
#ifdef __cplusplus
#define VX_RECORD_OFFSET(field, at) \
  static_assert(offsetof(VxFilterRecord, field) == (at), #field " is not where the host puts it")
#else
#define VX_RECORD_OFFSET(field, at) \
  _Static_assert(offsetof(VxFilterRecord, field) == (at), #field " is not where the host puts it")
#endif
VX_RECORD_OFFSET(planes, 20);
VX_RECORD_OFFSET(filterRect, 22);
VX_RECORD_OFFSET(inRect, 52);
VX_RECORD_OFFSET(inLoPlane, 60);
VX_RECORD_OFFSET(inHiPlane, 62);
VX_RECORD_OFFSET(outRect, 64);
VX_RECORD_OFFSET(outLoPlane, 72);
VX_RECORD_OFFSET(outHiPlane, 74);
VX_RECORD_OFFSET(inData, 76);
VX_RECORD_OFFSET(inRowBytes, 80);
VX_RECORD_OFFSET(outData, 84);
VX_RECORD_OFFSET(outRowBytes, 88);
VX_RECORD_OFFSET(maskRect, 96);
VX_RECORD_OFFSET(imageMode, 128);
VX_RECORD_OFFSET(platformData, 188);
VX_RECORD_OFFSET(advanceState, 224);
#undef VX_RECORD_OFFSET
#endif
#endif

#ifdef __cplusplus
}
#endif

#endif
