#include "hyperlink_module.h"

#include "address_opener.h"

#include <QString>

namespace HyperlinkModule {

long ShellExecuteA(AddressOpener& opener, QWidget* hWnd, const char*, const char* file,
                   const char*, const char*, int)
{
    opener.open(hWnd, QString::fromLocal8Bit(file));
    return 0;
}

} // namespace HyperlinkModule
