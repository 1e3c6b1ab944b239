// What every control window of the definition shares at its creation: the
// place it is made in (its record, its parent, the module) and the making of
// its window from the record (child styles from the flags, position, text,
// identifier, the window's font). Each control kind's wrapper creates itself
// with it and then sets up what is its own.
#pragma once

#include <windows.h>

#include "app/win32/window_definition.h"

namespace colsplit::win32 {

struct ControlPlace {
  const ControlRecord& record;
  HWND parent;  // the main window, or the group box for the controls inside it
  HINSTANCE instance;
};

// Creates the record's window of the given class (hidden: the window shows
// its controls once all exist), `height` tall, with the window's font. Null
// when it cannot be made.
HWND create_control_window(const ControlPlace& place, const wchar_t* window_class, int height);
// The same, as tall as the record says.
inline HWND create_control_window(const ControlPlace& place, const wchar_t* window_class) {
  return create_control_window(place, window_class, place.record.geometry.height);
}

}  // namespace colsplit::win32
