#pragma once

class QApplication;

// Names the application, gives it its icon and version. Runs before the window is made.
void setUpApplication(QApplication& application);
