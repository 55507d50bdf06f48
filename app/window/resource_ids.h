// Resource identifiers of the Windows programs, shared by their .rc script (through the
// resource compiler's preprocessor) and the code that loads the resources.
#ifndef QUOLVANE_APP_WINDOW_RESOURCE_IDS_H
#define QUOLVANE_APP_WINDOW_RESOURCE_IDS_H

// The first icon group is the one Explorer shows for the program file.
#define QUOLVANE_PROGRAM_ICON 1

#endif
