// Turns the user guide's HTML, with the pictures beside it, into the PDF that the About box's
// Help opens. Run by the build: MakeHelpPdf <guide.html> <Help.pdf>.
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

// Hands the guide every picture it names, read from the folder beside it; returns the first
// that cannot be read, or an empty text. A missing picture is an error of the guide, said
// plainly rather than left to the layout (which never settles on an image it cannot find).
QString AddPictures(QTextDocument& guide, const QString& folder)
{
  for (QTextBlock block = guide.begin(); block.isValid(); block = block.next())
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat format = it.fragment().charFormat();
      if (!format.isImageFormat())
        continue;
      const QString name = format.toImageFormat().name();
      const QImage picture(folder + name);
      if (picture.isNull())
        return name;
      guide.addResource(QTextDocument::ImageResource, QUrl(name), picture);
    }
  return QString();
}

}  // namespace

int main(int argc, char** argv)
{
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s guide.html Help.pdf\n", argv[0]);
    return 2;
  }
  QFile source(QString::fromLocal8Bit(argv[1]));
  if (!source.open(QIODevice::ReadOnly | QIODevice::Text)) {
    std::fprintf(stderr, "Error: cannot read %s\n", argv[1]);
    return 1;
  }
  QTextDocument guide;
  // Pictures are named relative to the guide.
  const QString folder = QFileInfo(source).absolutePath() + QLatin1Char('/');
  guide.setDefaultFont(QFont(QStringLiteral("Liberation Sans"), 10));
  guide.setHtml(QString::fromUtf8(source.readAll()));
  const QString missing = AddPictures(guide, folder);
  if (!missing.isEmpty()) {
    std::fprintf(stderr, "Error: the picture %s is not beside the guide\n", missing.toLocal8Bit().constData());
    return 1;
  }

  // Written under a temporary name and renamed, so that a failed run leaves no half document.
  const QString target = QString::fromLocal8Bit(argv[2]);
  const QString partial = target + QStringLiteral(".part");
  {
    QPdfWriter pdf(partial);
    // About the pictures' own resolution at their printed width, so that they are embedded
    // as they are rather than scaled up to the writer's default of 1200 dots per inch.
    pdf.setResolution(150);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
    pdf.setTitle(QStringLiteral("Strataview User Guide"));
    pdf.setCreator(QStringLiteral("Strataview"));
    guide.print(&pdf);
  }
  std::error_code error;
  if (QFileInfo(partial).size() > 0)
    std::filesystem::rename(partial.toStdString(), target.toStdString(), error);
  if (QFileInfo(partial).size() > 0 || error || !QFileInfo(target).isFile()) {
    std::fprintf(stderr, "Error: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
