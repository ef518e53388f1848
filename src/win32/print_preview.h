// Print preview: the report's page drawn on the screen at the page's
// proportions, with Print and Close buttons. The owner is disabled while
// it shows.
#pragma once

#include "image/form.h"
#include "report/report_layout.h"

#include <windows.h>

#include <functional>

class CPrintPreview {
public:
    /// Shows the page of `area` for `form` and returns when the preview is
    /// closed; `print` is called when its Print button closed it.
    static void DoModal(HWND owner, const varnok::FormState& form, const varnok::report::PrintArea& area,
                        const std::function<void()>& print);
};
