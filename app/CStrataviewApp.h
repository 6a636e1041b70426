#pragma once
// The application: process-wide set-up before and after the Qt application exists, and the
// main window.
#include <QApplication>
#include <memory>

class CMainFrame;

class CStrataviewApp : public QApplication {
  Q_OBJECT
public:
  // Call ConfigureBeforeConstruction() first, then construct.
  static void ConfigureBeforeConstruction();
  CStrataviewApp(int& argc, char** argv);
  ~CStrataviewApp() override;

  // Creates the main frame, runs the view's initial update and shows it maximised.
  bool InitInstance();
  CMainFrame* MainFrame() const { return m_Frame.get(); }

private:
  std::unique_ptr<CMainFrame> m_Frame;
};
