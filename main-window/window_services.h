#pragma once

class AddressOpener;
class MessageBox;
class OpenFilePrompt;

// What the windows need of the world outside: the real ones in the program,
// scripted doubles in tests.
struct WindowServices {
    MessageBox& messageBox;
    OpenFilePrompt& filePrompt;
    AddressOpener& addressOpener;
};
