#pragma once

// The run behind the plugins-menu entry: the dialog, the conversion of the
// active panel's selection, the warning, the panels refreshed.
void RunConversion();
