// SPDX-License-Identifier: GPL-3.0-or-later
#include "imagecontrol/Glimmora.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <limits>

#include "imagecontrol/ComServer.h"
#include "imagecontrol/PageView.h"

namespace glimmora {

namespace {

[[noreturn]] void overflow() { throw ControlError(6, QStringLiteral("Overflow")); }
[[noreturn]] void typeMismatch() { throw ControlError(13, QStringLiteral("Type mismatch")); }

bool isEmptyValue(const QVariant& v) { return !v.isValid() || v.isNull(); }

double toNumber(const QVariant& v) {
    if (isEmptyValue(v))
        return 0;
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? -1 : 0;
    bool ok = false;
    const double d = v.typeId() == QMetaType::QString ? v.toString().trimmed().toDouble(&ok) : v.toDouble(&ok);
    if (!ok)
        typeMismatch();
    return d;
}

bool toBool(const QVariant& v) {
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed();
        if (s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (s.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return toNumber(v) != 0;
}

// Rounds half to even, as the narrowing conversions do.
qint64 roundToInteger(double d, double lo, double hi) {
    if (!std::isfinite(d))
        overflow();
    const double r = std::nearbyint(d);
    if (r < lo || r > hi)
        overflow();
    return qint64(r);
}

qint16 toInt16(const QVariant& v) {
    return qint16(roundToInteger(toNumber(v), std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max()));
}

qint32 toInt32(const QVariant& v) {
    return qint32(roundToInteger(toNumber(v), std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

float toFloat(const QVariant& v) {
    const double d = toNumber(v);
    if (!std::isfinite(d) || std::fabs(d) > std::numeric_limits<float>::max())
        overflow();
    return float(d);
}

QString toText(const QVariant& v) {
    if (isEmptyValue(v))
        return {};
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (!v.canConvert<QString>())
        typeMismatch();
    return v.toString();
}

// The surface takes 0 or 1 for its border style and appearance.
int surfaceMode(qint64 value) {
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        overflow();
    if (value != 0 && value != 1)
        throw ControlError(380, QStringLiteral("Invalid property value"));
    return int(value);
}

QImage toPicture(const QVariant& v) {
    if (isEmptyValue(v))
        return {};
    if (v.canConvert<QImage>())
        return v.value<QImage>();
    typeMismatch();
}

}  // namespace

Glimmora::Glimmora(Host* host, QWidget* parent) : QWidget(parent), host_(host) {
    Q_ASSERT(host_);
    ComServer::InstanceCreated();
    setObjectName(host_->ExtenderName());
    surface_ = new QWidget(this);
    surface_->setObjectName(QStringLiteral("surface"));
    surface_->installEventFilter(this);
    surface_->setMouseTracking(true);

    WBcontainer = new QWidget(surface_);
    WBcontainer->setObjectName(QStringLiteral("WBcontainer"));
    WBcontainer->setEnabled(false);
    WBcontainer->hide();
    WB = new PageView(WBcontainer);
    WB->setObjectName(QStringLiteral("WB"));

    Shape1 = new ShapeFrame(surface_);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setAttribute(Qt::WA_TransparentForMouseEvents);
    Banner = new QLabel(QStringLiteral("Glimmora"), surface_);
    Banner->setObjectName(QStringLiteral("Banner"));
    QFont font(QStringLiteral("Arial Black"));
    font.setPointSizeF(27.75);
    font.setWeight(QFont::Normal);
    Banner->setFont(font);
    Banner->adjustSize();

    // Creation of every instance.
    imageBrowseCancelled_ = false;
    backgroundBrowseCancelled_ = false;
    offline_ = true;
    page_ = QStringLiteral("file:///C:\\");
    ++navigations_;

    const double px = tx();
    sizeTw_ = QSizeF(width() * px, height() * ty());
    updateSurfaceGeometry();
}

Glimmora::~Glimmora() { ComServer::InstanceDestroyed(); }

double Glimmora::tx() const { return host_->TwipsPerPixelX(); }
double Glimmora::ty() const { return host_->TwipsPerPixelY(); }

double Glimmora::allowance() const { return ((appearance_ == 1 ? 1 : 0) + (borderStyle_ == 1 ? 1 : 0)) * tx(); }

void Glimmora::notify(const char* name) { host_->PropertyChanged(QString::fromLatin1(name)); }

// ---- the container's side ----

void Glimmora::InitProperties() {
    newInstance_ = true;
    sizeMode_ = 4;
    sizeWidth_ = 0;
    sizeHeight_ = 0;
    backgroundPath_.clear();
    imageWidth_ = 0;
    imageHeight_ = 0;
    imageError_ = false;
    imagePath_.clear();
    help_ = false;
    about_ = false;
}

void Glimmora::ReadProperties(const PropertyBag& bag) {
    QWidget::setEnabled(toBool(bag.ReadProperty(QStringLiteral("Enabled"), QVariant())));
    borderStyle_ = surfaceMode(toInt16(bag.ReadProperty(QStringLiteral("BorderStyle"), 0)));
    updateSurfaceGeometry();
    surfacePicture_ = toPicture(bag.ReadProperty(QStringLiteral("ImagePicture"), QVariant()));
    surfacePicture_ = toPicture(bag.ReadProperty(QStringLiteral("BackgroundPicture"), QVariant()));
    appearance_ = surfaceMode(toInt16(bag.ReadProperty(QStringLiteral("Appearance"), 0)));
    updateSurfaceGeometry();
    sizeMode_ = bag.ReadProperty(QStringLiteral("SizeMode"), 4);
    sizeWidth_ = toFloat(bag.ReadProperty(QStringLiteral("SizeWidth"), 0));
    sizeHeight_ = toFloat(bag.ReadProperty(QStringLiteral("SizeHeight"), 0));
    backgroundPath_ = toText(bag.ReadProperty(QStringLiteral("BackgroundPath"), QString()));
    imageWidth_ = toFloat(bag.ReadProperty(QStringLiteral("ImagePath_ImageWidth"), 0));
    imageHeight_ = toFloat(bag.ReadProperty(QStringLiteral("ImagePath_ImageHeight"), 0));
    imageError_ = toBool(bag.ReadProperty(QStringLiteral("ImagePath_ImageError"), false));
    imagePath_ = toText(bag.ReadProperty(QStringLiteral("ImagePath"), QString()));
    propertiesRead_ = true;
    LayoutPass();
    help_ = toBool(bag.ReadProperty(QStringLiteral("Glimmora_HELP"), false));
    about_ = toBool(bag.ReadProperty(QStringLiteral("Glimmora_About"), false));
}

void Glimmora::WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty(QStringLiteral("Enabled"), isEnabled(), QVariant());
    bag.WriteProperty(QStringLiteral("BorderStyle"), QVariant::fromValue(qint16(borderStyle_)), QVariant::fromValue(qint16(0)));
    bag.WriteProperty(QStringLiteral("ImagePicture"), surfacePicture_.isNull() ? QVariant() : QVariant(surfacePicture_),
                      QVariant());
    bag.WriteProperty(QStringLiteral("BackgroundPicture"),
                      surfacePicture_.isNull() ? QVariant() : QVariant(surfacePicture_), QVariant());
    bag.WriteProperty(QStringLiteral("Appearance"), QVariant::fromValue(qint16(appearance_)), QVariant::fromValue(qint16(0)));
    bag.WriteProperty(QStringLiteral("SizeMode"), sizeMode_, qint32(4));
    bag.WriteProperty(QStringLiteral("SizeWidth"), sizeWidth_, 0.0f);
    bag.WriteProperty(QStringLiteral("SizeHeight"), sizeHeight_, 0.0f);
    bag.WriteProperty(QStringLiteral("BackgroundPath"), backgroundPath_, QString());
    bag.WriteProperty(QStringLiteral("ImagePath_ImageWidth"), imageWidth_, 0.0f);
    bag.WriteProperty(QStringLiteral("ImagePath_ImageHeight"), imageHeight_, 0.0f);
    bag.WriteProperty(QStringLiteral("ImagePath_ImageError"), imageError_, false);
    bag.WriteProperty(QStringLiteral("ImagePath"), imagePath_, QString());
    bag.WriteProperty(QStringLiteral("Glimmora_HELP"), help_, false);
    bag.WriteProperty(QStringLiteral("Glimmora_About"), about_, false);
}

// ---- properties ----

bool Glimmora::Enabled() const { return isEnabled(); }

void Glimmora::SetEnabled(bool value) {
    QWidget::setEnabled(value);
    notify("Enabled");
    LayoutPass();
}

void Glimmora::SetBorderStyle(qint64 value) {
    borderStyle_ = surfaceMode(value);
    updateSurfaceGeometry();
    update();
    notify("BorderStyle");
}

void Glimmora::Refresh() { repaint(); }

void Glimmora::SetAppearance(qint64 value) {
    appearance_ = surfaceMode(value);
    updateSurfaceGeometry();
    update();
    notify("Appearance");
    LayoutPass();
}

void Glimmora::SetImagePath_OPEN(bool) {
    notify("ImagePath_OPEN");
    imageOpenRequested_ = true;
    savedImagePath_ = imagePath_;
    SetImagePath(QString());
}

void Glimmora::SetBackgroundPath_OPEN(bool) {
    notify("BackgroundPath_OPEN");
    backgroundOpenRequested_ = true;
    savedBackgroundPath_ = backgroundPath_;
    SetBackgroundPath(QString());
}

int Glimmora::SizeMode() const { return toInt32(sizeMode_); }

void Glimmora::SetSizeMode(const QVariant& value) {
    sizeMode_ = toInt32(value);
    notify("SizeMode");
    LayoutPass();
}

void Glimmora::SetSizeWidth(float value) {
    sizeWidth_ = value;
    notify("SizeWidth");
    LayoutPass();
}

void Glimmora::SetSizeHeight(float value) {
    sizeHeight_ = value;
    notify("SizeHeight");
    LayoutPass();
}

// The measured properties keep their value on a form being edited unless
// the control itself is measuring.
void Glimmora::SetImagePath_ImageWidth(float value) {
    if (host_->UserMode() || measuring_)
        imageWidth_ = value;
    notify("ImagePath_ImageWidth");
}

void Glimmora::SetImagePath_ImageHeight(float value) {
    if (host_->UserMode() || measuring_)
        imageHeight_ = value;
    notify("ImagePath_ImageHeight");
}

void Glimmora::SetImagePath_ImageError(bool value) {
    if (host_->UserMode() || measuring_)
        imageError_ = value;
    notify("ImagePath_ImageError");
}

void Glimmora::SetBackgroundPath(const QString& value) {
    backgroundPath_ = value;
    notify("BackgroundPath");
    backgroundBrowseCancelled_ = false;
    backgroundPathSet_ = true;
    LayoutPass();
}

void Glimmora::SetImagePath(const QString& value) {
    imagePath_ = value;
    notify("ImagePath");
    imageBrowseCancelled_ = false;
    imagePathSet_ = true;
    LayoutPass();
}

void Glimmora::SetGlimmora_HELP(bool) {
    showHelp();
    help_ = false;
    notify("Glimmora_HELP");
}

void Glimmora::SetGlimmora_About(bool) {
    showAbout();
    about_ = false;
    notify("Glimmora_About");
}

// ---- size and surface ----

void Glimmora::applySize() {
    resize(qMax(0, qRound(sizeTw_.width() / tx())), qMax(0, qRound(sizeTw_.height() / ty())));
    updateSurfaceGeometry();
}

void Glimmora::SetWidth(float twips) {
    sizeTw_.setWidth(twips);
    applySize();
}

void Glimmora::SetHeight(float twips) {
    sizeTw_.setHeight(twips);
    applySize();
}

void Glimmora::updateSurfaceGeometry() {
    const int a = qRound(allowance() / tx());
    surface_->setGeometry(a, a, qMax(0, width() - 2 * a), qMax(0, height() - 2 * a));
}

void Glimmora::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize ours(qRound(sizeTw_.width() / tx()), qRound(sizeTw_.height() / ty()));
    updateSurfaceGeometry();
    if (size() == ours)
        return;  // the control sized itself
    // The container resized the control.
    sizeTw_ = QSizeF(width() * tx(), height() * ty());
    try {
        LayoutPass();
    } catch (const ControlError& e) {
        qWarning("Glimmora: layout after a resize failed: %s", e.what());
    }
}

void Glimmora::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    QRect r = rect().adjusted(0, 0, -1, -1);
    if (borderStyle_ == 1) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawRect(r);
        r.adjust(1, 1, -1, -1);
    }
    if (appearance_ == 1) {
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    }
}

// The events come from the surface itself, not from the page or the banner.
bool Glimmora::eventFilter(QObject* watched, QEvent* event) {
    if (watched != surface_)
        return QWidget::eventFilter(watched, event);
    auto mouseArgs = [this](QMouseEvent* m, short& button, short& shift, float& x, float& y) {
        const Qt::MouseButtons b = m->type() == QEvent::MouseMove ? m->buttons() : Qt::MouseButtons(m->button());
        button = short((b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) | (b & Qt::MiddleButton ? 4 : 0));
        const Qt::KeyboardModifiers k = m->modifiers();
        shift = short((k & Qt::ShiftModifier ? 1 : 0) | (k & Qt::ControlModifier ? 2 : 0) | (k & Qt::AltModifier ? 4 : 0));
        x = float(m->position().x() * tx());
        y = float(m->position().y() * ty());
    };
    short button = 0, shift = 0;
    float x = 0, y = 0;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        mouseArgs(static_cast<QMouseEvent*>(event), button, shift, x, y);
        emit MouseDown(button, shift, x, y);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* m = static_cast<QMouseEvent*>(event);
        mouseArgs(m, button, shift, x, y);
        emit MouseUp(button, shift, x, y);
        if (surface_->rect().contains(m->position().toPoint()))
            emit Click();
        return true;
    }
    case QEvent::MouseButtonDblClick:
        emit DblClick();
        return true;
    case QEvent::MouseMove: {
        mouseArgs(static_cast<QMouseEvent*>(event), button, shift, x, y);
        emit MouseMove(button, shift, x, y);
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

// ---- observation ----

bool Glimmora::PageShown() const { return !WBcontainer->isHidden(); }

QRectF Glimmora::BannerRect() const {
    const QRect g = Banner->geometry();
    return QRectF(g.x() * tx(), g.y() * ty(), g.width() * tx(), g.height() * ty());
}

double Glimmora::BannerFontSize() const { return Banner->font().pointSizeF(); }

QRectF Glimmora::ShapeRect() const {
    const QRect g = Shape1->geometry();
    return QRectF(g.x() * tx(), g.y() * ty(), g.width() * tx(), g.height() * ty());
}

QSizeF Glimmora::PictureSize() const { return QSizeF(picture1Px_.width() * tx(), picture1Px_.height() * ty()); }

QRect Glimmora::BrowserGeometry() const { return WB->geometry(); }

int Glimmora::MovieFrame() const { return WB->Frame(); }

}  // namespace glimmora
