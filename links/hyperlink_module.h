#pragma once

class AddressOpener;
class QWidget;

// The one operation the windows need to open a web page: hand an address to
// the user's browser on behalf of an owner window, and return at once. Its
// result is not examined and a failure shows nothing.
namespace HyperlinkModule {

// operation, parameters, directory and showCommand keep the shape of the
// shell's open call; opening an address on the desktop needs none of them.
long ShellExecuteA(AddressOpener& opener, QWidget* hWnd, const char* operation,
                   const char* file, const char* parameters, const char* directory,
                   int showCommand);

} // namespace HyperlinkModule
