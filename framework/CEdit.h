// CEdit: an edit control (class "EDIT").
#pragma once

#include "CWnd.h"

class CEdit : public CWnd {};
