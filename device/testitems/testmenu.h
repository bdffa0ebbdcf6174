// The test context-menu handler's identity, shared with the tests.
#pragma once

#define TESTMENU_CLSID_TEXT L"{6F1C7E52-3A8B-4D1E-9C40-7B2D5E8A1F03}"
#define TESTMENU_HANDLER_NAME L"QuintarTestMenu"
