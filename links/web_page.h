#pragma once

class AddressOpener;
class QString;
class QWidget;

// What every link of the windows does when clicked: hands address to the
// shell's open operation on behalf of owner, in the system's 8-bit code
// page, and returns at once without looking at the result.
void openWebPage(AddressOpener& opener, QWidget* owner, const QString& address);
