// The image a new document starts from.
#pragma once

#include "image/image.h"

namespace varnok {

/// Which preset frequencies a new image puts into the auxiliary records.
enum class PresetSet { Uhf, Vhf };

/// The preset set of a New command: VHF only when the form already exists
/// and shows the second model; program start always takes UHF.
PresetSet presetForNewDocument(bool editorsCreated, int modelSelection);

/// The complete default image, byte for byte.
RadioImage defaultImage(PresetSet set);

} // namespace varnok
