#pragma once
// The Carvenna look: the style sheet and the application icon, both from the program's resources.
class QApplication;

/// Applies carvenna.qss to the whole application, sets the Carvenna icon on every window and lets
/// Enter press the focused button in every window.
void ApplyCarvennaStyle(QApplication& app);
