// An installer runs from download folders, where anyone can leave a DLL of a system library's
// name beside it. This confines the process's library search to the system directory.
#pragma once

// Takes the current directory out of the search path (SetDllDirectoryA with an empty text)
// and, where the system offers SetDefaultDllDirectories, makes the system directory the only
// default directory. Both functions are looked up at run time, so that systems without them
// still start. Where SetDefaultDllDirectories is missing (or fails), the program's folder
// stays first in the search, and AfxPreloadSystemLibraries runs instead. Statically imported
// libraries must be ones that the system always loads from its own directory (its known
// DLLs); all others are loaded through AfxLoadSystemLibrary.
void AfxEnableSafeDllLoading();

// Loads from the system directory, by full path, the libraries that are not known DLLs and
// that the shell link object, COM and the user interface load by name on the systems without
// SetDefaultDllDirectories, so that a later load by name finds them loaded rather than
// searching the program's folder. A library missing from the system is skipped.
void AfxPreloadSystemLibraries();
