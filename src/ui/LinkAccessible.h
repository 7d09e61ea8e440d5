#pragma once

namespace ui {

// Makes screen readers see every CLinkStatic and CFontStatic as a link named by its text
// (or its accessible name) that can be pressed. Safe to call more than once, on the UI
// thread; the labels call it themselves.
void InstallLinkAccessibility();

} // namespace ui
