#pragma once

namespace keyloom::ui {

// Gives screen readers the toolkit's view of the program: every control through
// SWindowAccessible (a multi-column list view as a table through SMcListViewAccessible), host
// windows as windows and dialogs with their titles, the view that draws a scaled window's
// controls with its root control as its one child, and the application with its windows, leaving
// out the root controls that such a view draws (they are not windows of their own to the user).
// Once per process; SApplication installs it.
void InstallAccessibleFactory();

}  // namespace keyloom::ui
