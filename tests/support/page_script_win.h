// Runs JScript as a web page would, with an object of the test's choosing as
// the page's `external` object: the system's own script engine, without a
// browser.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <string>

namespace tarvo_test {

struct PageScriptOutcome {
    HRESULT result = E_FAIL;  // of parsing and running the expression
    std::string value;        // the expression's value as text (UTF-8)
    std::string error;        // the script error's description, if any (UTF-8)
};

// Evaluates `expression` with `external` as the named item "external". COM
// must be initialised on the calling thread.
PageScriptOutcome runPageScript(IDispatch* external, const std::wstring& expression);

}  // namespace tarvo_test
