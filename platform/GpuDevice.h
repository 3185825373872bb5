#pragma once
// Whether this machine may have a GPU renderer for the game's window, decided without
// building one (see SdlWindow.cpp).

// Linux: a DRM device (/dev/dri/card* or renderD*) this user may open; without one the
// system's OpenGL can only be a software one. Windows: always (every display driver there
// serves Direct3D; SDL falls back to the window's framebuffer when it cannot).
bool GpuDevicePresent();
