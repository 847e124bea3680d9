#pragma once
// What the debug window shows for the monitor's reported values.

// System status: 0 camera and program, 1 no camera, 2 no program, else neither.
inline const char* BMSystemStatusText(int status) {
  switch (status) {
    case 0: return "Dev <---> App";
    case 1: return "Waiting Dev";
    case 2: return "Waiting App";
    default: return "Waiting App, Dev";
  }
}

struct BMButtonTexts {
  const char* zoomIn;
  const char* zoomOut;
  const char* record;
};

// Button status: 1 zoom in, 2 zoom out, 3 record; anything else shows all off.
inline BMButtonTexts BMButtonStatusTexts(int status) {
  return {status == 1 ? "ON" : "OFF", status == 2 ? "ON" : "OFF", status == 3 ? "ON" : "OFF"};
}
