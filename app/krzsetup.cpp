// The installer's one application object; the framework's entry point finds and runs it.
#include "SetupApp.h"

CSetupApp theApp;
