// Real windows under a bare virtual X server, where no window manager has created the _NET_* and WM_* atoms.
// The framework looks some of them up without creating them and then sets window properties with a null
// atom, which the X server rejects with a fatal error; creating the atoms first, before the framework
// starts, gives windows the same start they get on a desktop. Used by the editor tests and benchmarks.
#pragma once

void createWindowManagerAtoms();
