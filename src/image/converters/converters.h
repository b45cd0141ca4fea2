// All pixel converters; see converter.h for how they are called.
#pragma once

#include "image/converters/brightness.h"
#include "image/converters/color_to_gray.h"
#include "image/converters/contrast.h"
#include "image/converters/converter.h"
#include "image/converters/demosaic.h"
#include "image/converters/field_merge.h"
#include "image/converters/format.h"
#include "image/converters/gamma.h"
#include "image/converters/gray_gain.h"
#include "image/converters/hue_saturation.h"
#include "image/converters/region_mean.h"
#include "image/converters/sharpen.h"
#include "image/converters/stretch.h"
#include "image/converters/white_balance.h"
