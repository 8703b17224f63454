#pragma once

// Poker clients run under Wine as X11 windows, on Wayland desktops too (XWayland): both
// programs join them there, so that recorders can be owned by their tables, window
// capture works and monitors have the same names in both. Call before the application
// object is made; a platform the user chose is kept.
void preferX11UnderWayland();
