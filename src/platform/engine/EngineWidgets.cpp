#include "platform/engine/EngineWidgets.h"

#include <cstring>

namespace dorv {

bool IsEngineDialog(GtkWidget* child) { return std::strstr(G_OBJECT_TYPE_NAME(child), "Dialog") != nullptr; }

bool IsScriptDialog(GtkWidget* child) { return std::strstr(G_OBJECT_TYPE_NAME(child), "ScriptDialog") != nullptr; }

bool IsPrintDialog(GtkWindow* window) { return std::strcmp(G_OBJECT_TYPE_NAME(window), "GtkPrintUnixDialog") == 0; }

}  // namespace dorv
