// An installer runs from download folders, where anyone can leave a DLL of a system library's
// name beside it. This confines the process's library search to the system directory.
#pragma once

// Takes the current directory out of the search path (SetDllDirectoryA with an empty text)
// and, where the system offers SetDefaultDllDirectories, makes the system directory the only
// default directory. Both functions are looked up at run time, so that systems without them
// still start. Statically imported libraries must be ones that the system always loads from
// its own directory (its known DLLs); all others are loaded through LoadSystemLibrary.
void AfxEnableSafeDllLoading();
