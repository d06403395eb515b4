// CStatic: a static control (class "STATIC").
#pragma once

#include "CWnd.h"

class CStatic : public CWnd {};
