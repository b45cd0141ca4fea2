// What the dialog behaviour classes see of a dialog: the surface, the
// handler and the owner-drawn tab painter are the dialog seam's own
// vocabulary (platform/dialog_vocabulary.h), named here for the dialogs.
#pragma once

#include "dialogs/templates.h"
#include "platform/dialog_vocabulary.h"
