#pragma once
// The application: process-wide set-up before and after the Qt application exists, and the
// main window.
#include <QApplication>
#include <QIcon>
#include <memory>
#include <string>

class CMainFrame;

class CStrataviewApp : public QApplication {
  Q_OBJECT
public:
  // Call ConfigureBeforeConstruction() first, then construct.
  static void ConfigureBeforeConstruction();
  CStrataviewApp(int& argc, char** argv);
  ~CStrataviewApp() override;

  // Creates the main frame, runs the view's initial update and shows it maximised; then
  // opens the scan folder or scan file named on the command line, if any.
  bool InitInstance();
  // Opens a folder as a scan folder and anything else as a scan file, then shows it.
  void OpenDocument(const std::string& path);
  CMainFrame* MainFrame() const { return m_Frame.get(); }
  // The program's icon, compiled in, at the sizes the package installs for the desktop.
  static QIcon ProgramIcon();

private:
  static void ShowMaximizedReadyForOpenGL(QWidget& window);

  std::unique_ptr<CMainFrame> m_Frame;
};
