// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QImage>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include "imagecontrol/GlimmoraExport.h"
#include "imagecontrol/GlimmoraHost.h"
#include "imagecontrol/GlimmoraTypes.h"
#include "imagecontrol/PropertyBag.h"

class QLabel;
class QFontMetricsF;

namespace glimmora {

class PageView;
class ShapeFrame;

// The Glimmora image control: one picture file (ImagePath) over a second
// one tiled as the page background (BackgroundPath), laid out by SizeMode in
// the box SizeWidth x SizeHeight. Sizes are twips, the container's units.
//
// A host creates it with its Host, then either starts a new instance
// (InitProperties, for a form being edited) or reads the form's stored
// properties (ReadProperties). No member traps errors: a failure is thrown as
// ControlError to the caller of the assignment, with the steps before it in
// force.
class GLIMMORA_EXPORT Glimmora : public QWidget {
    Q_OBJECT
public:
    explicit Glimmora(Host* host, QWidget* parent = nullptr);
    ~Glimmora() override;

    // The container's side.
    void InitProperties();
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    // Properties and the method, in interface order.
    bool Enabled() const;
    void SetEnabled(bool value);
    int BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(qint64 value);
    void Refresh();
    int Appearance() const { return appearance_; }
    void SetAppearance(qint64 value);
    bool ImagePath_OPEN() const { return false; }
    void SetImagePath_OPEN(bool value);
    bool BackgroundPath_OPEN() const { return false; }
    void SetBackgroundPath_OPEN(bool value);
    int SizeMode() const;
    void SetSizeMode(const QVariant& value);
    float SizeWidth() const { return sizeWidth_; }
    void SetSizeWidth(float value);
    float SizeHeight() const { return sizeHeight_; }
    void SetSizeHeight(float value);
    float ImagePath_ImageWidth() const { return imageWidth_; }
    void SetImagePath_ImageWidth(float value);
    float ImagePath_ImageHeight() const { return imageHeight_; }
    void SetImagePath_ImageHeight(float value);
    bool ImagePath_ImageError() const { return imageError_; }
    void SetImagePath_ImageError(bool value);
    QString BackgroundPath() const { return backgroundPath_; }
    void SetBackgroundPath(const QString& value);
    QString ImagePath() const { return imagePath_; }
    void SetImagePath(const QString& value);
    bool Glimmora_HELP() const { return help_; }
    void SetGlimmora_HELP(bool value);
    bool Glimmora_About() const { return about_; }
    void SetGlimmora_About(bool value);

    // The control's size in its container, in twips.
    float Width() const { return sizeTw_.width(); }
    float Height() const { return sizeTw_.height(); }
    void SetWidth(float twips);
    void SetHeight(float twips);

    // One layout pass: offers the dialogs (design mode), measures the
    // picture, sizes the control by SizeMode and shows the page or the banner.
    void LayoutPass();

    // Files, dialogs, help and printing.
    static QString GetExtension(const QString& path);
    static QString GetFolderPart(const QString& path);
    bool PathIsFile(const QString& path) const;
    bool MeasureImage(const QString& path);
    QString BrowseImage();
    QString BrowseBackground();
    void PrintText(const QString& text);
    static QString HelpPage(int page);  // 1 to 3
    static QString AboutText();

    // Where PrintText puts a text on a page of the given printable size: the
    // lines, the common left edge and the top of the block (device units).
    struct PrintPlan {
        QStringList lines;
        double left = 0;
        double top = 0;
        double lineHeight = 0;
    };
    static PrintPlan PlanPrint(const QString& text, const QFontMetricsF& metrics, const QSizeF& printable);

    // What a host or a test can observe.
    QString Page() const { return page_; }            // the page last navigated to
    int Navigations() const { return navigations_; }  // how many times it navigated
    QString SettingsAppName() const { return settingsAppName_; }
    bool LayoutBusy() const { return layoutBusy_; }
    bool PageShown() const;                // the browser container is visible
    QRectF BannerRect() const;             // twips, in the inner area
    double BannerFontSize() const;         // points
    QRectF ShapeRect() const;              // twips, in the inner area
    QSizeF PictureSize() const;            // Picture1's size, twips
    QRect BrowserGeometry() const;         // pixels, in the browser container
    int MovieFrame() const;                // the animated picture's frame (-1: none)
    Host* host() const { return host_; }

signals:
    void DblClick();
    void MouseUp(short& Button, short& Shift, float& X, float& Y);
    void MouseDown(short& Button, short& Shift, float& X, float& Y);
    void Click();
    void MouseMove(short& Button, short& Shift, float& X, float& Y);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void notify(const char* name);
    void layoutSteps();
    void bannerLayout(double innerW, double innerH);
    void naturalLayout(bool imgFile);
    void sizedPlacement(bool imgFile, double innerW, double innerH);
    void zoomLayout(bool userMode, bool imgFile);
    void navigate(const QString& page, bool imgFile, const QSizeF& imagePixels);
    void placeBrowser(double widthTw, double heightTw);
    void controlName();
    QString browse(bool image);
    double allowance() const;
    double tx() const;
    double ty() const;
    void applySize();
    void updateSurfaceGeometry();
    QString defaultStart(const QString& tail) const;
    void showHelp();
    void showAbout();

    Host* host_;
    QWidget* surface_;       // the client area inside the border
    QWidget* WBcontainer;
    PageView* WB;
    QLabel* Banner;
    ShapeFrame* Shape1;
    QImage picture1_;        // Picture1's picture
    // Picture1's size in pixels; it starts at its design size and follows
    // each picture loaded into it.
    QSizeF picture1Px_{32, 32};
    QImage surfacePicture_;  // the surface picture of the stored entries

    QSizeF sizeTw_;
    int borderStyle_ = 0;
    int appearance_ = 0;

    QString imagePath_;
    QString backgroundPath_;
    QVariant sizeMode_ = 4;
    float sizeWidth_ = 0;
    float sizeHeight_ = 0;
    float imageWidth_ = 0;
    float imageHeight_ = 0;
    bool imageError_ = false;
    bool help_ = false;
    bool about_ = false;
    bool newInstance_ = false;
    bool propertiesRead_ = false;
    bool imagePathSet_ = false;
    bool backgroundPathSet_ = false;
    bool imageBrowseCancelled_ = false;
    bool backgroundBrowseCancelled_ = false;
    bool imageOpenRequested_ = false;
    bool backgroundOpenRequested_ = false;
    QString savedImagePath_;
    QString savedBackgroundPath_;
    bool measuring_ = false;
    QString settingsAppName_;
    bool layoutBusy_ = false;

    QString page_;
    int navigations_ = 0;
    bool offline_ = false;
};

}  // namespace glimmora
