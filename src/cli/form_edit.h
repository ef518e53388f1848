// What `build` does to a document between reading its JSON and saving: the
// edits a user would make in the window, outside the executable so that the
// fuzz targets drive the very same code.
#pragma once

#include "document.h"
#include "form_json.h"

#include <string>
#include <vector>

namespace varnok::cli {

/// Applies a parsed patch to `doc`: the settings as picked in their boxes,
/// then the cells, as they stand (`raw`) or through each editor's rule.
/// Returns one line per refused cell (empty when all were taken). Throws
/// BadInput when the model or the band would be left without a selection.
std::vector<std::string> applyFormPatch(const FormPatch& patch, Document& doc, bool raw);

} // namespace varnok::cli
