// The end-to-end UI driver: scenario programs (GoogleTest executables running under Wine) start
// a Windows program, watch and drive its dialogs from outside as a user would, answer its
// message boxes, and look at what it left in the registry and on disk. How to write and build a
// scenario, and what to know of Wine while doing it: README.md in this folder.
#pragma once

#include "DialogTemplate.h"
#include "MachineState.h"
#include "MessageBox.h"
#include "Process.h"
#include "RemoteMemory.h"
#include "Screen.h"
#include "ShortcutReader.h"
#include "TreeView.h"
#include "Wait.h"
#include "Window.h"
