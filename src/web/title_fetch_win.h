// The title fetch dialog MYGETTITLE: downloads a page on a worker thread and finds its title.
#pragma once
#include <string>
#include <windows.h>

#include "store/encoding.h"

namespace perchlet {

// Posted by the worker to the dialog when the download has ended.
constexpr UINT kTitleFetchDone = 95;

struct FetchedTitle {
    bool found = false;
    std::string raw;    // the title's bytes as the page has them (at most 1022)
    std::string field;  // the same as text for the title field, in the encoding asked for
};

// Runs the modal dialog owned by owner for the address. On failure the user is told
// "取得に失敗しました" (with the status code when the server answered with an error) and
// found is false.
// The locator and the title field are in `encoding`.
FetchedTitle fetchTitleWithDialog(HINSTANCE instance, HWND owner, const std::string& locator,
                                  TextEncoding encoding = TextEncoding::ShiftJis);

}  // namespace perchlet
