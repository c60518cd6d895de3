// What the window program sets up before it opens Form1.
#pragma once

class QApplication;
class QCoreApplication;
class QIcon;

namespace tavorin {

// Installs Qt's own Simplified-Chinese translations (Debian qt6-translations-l10n), so that
// the boxes' context menus and the buttons of message boxes speak Chinese. Returns false,
// and leaves Qt's English texts, when they are not installed.
bool installChineseTranslations(QCoreApplication& app);

// The program's icon, an anchor block holding a bent penstock, from the PNG sizes built into
// the program, so that the window shows it however the program was installed.
QIcon applicationIcon();

// The icon, the translations, the window's default font for message boxes and context
// menus, and the window's style.
void prepareApplication(QApplication& app);

}  // namespace tavorin
