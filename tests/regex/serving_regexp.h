// Which VBScript.RegExp the test program gets. Creation asks the system first, so the
// system's one serves wherever it can be made (Windows with VBScript, or Wine with its
// vbscript.dll), and the built-in one everywhere else.
#pragma once

namespace quolvane {

// True when VBScript.RegExp comes from the system: its ProgID resolves and an object
// of it can be made. Asked once, through COM directly.
bool SystemRegExpServes();

}  // namespace quolvane
