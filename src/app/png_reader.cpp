#include "png_reader.h"

#include <QImageIOPlugin>
#include <QImageReader>
#include <QScopedValueRollback>
#include <QVariant>
#include <QtPlugin>

#include <memory>

namespace app {

namespace {

// While this thread reads through Qt's own reader, the plugin below does
// not claim PNG, so that reader takes its built-in handler instead of this
// one again.
thread_local bool readingInside = false;

// Hands the device to a QImageReader asked for PNG by name, without format
// detection. Clipping and scaling are left to the reader that called: this
// handler does not offer them, so it applies them to the picture read.
class PngHandler : public QImageIOHandler {
public:
    bool canRead() const override {
        if (m_builtIn) { // begun: the device is past the signature
            const QScopedValueRollback inside(readingInside, true);
            return m_builtIn->canRead();
        }
        if (!device() || device()->peek(8) != QByteArrayLiteral("\x89PNG\r\n\x1a\n"))
            return false;
        setFormat("png");
        return true;
    }
    bool read(QImage* image) override {
        const QScopedValueRollback inside(readingInside, true);
        return builtIn().read(image);
    }
    bool supportsOption(ImageOption option) const override {
        return option == Size || option == ImageFormat;
    }
    QVariant option(ImageOption option) const override {
        const QScopedValueRollback inside(readingInside, true);
        if (option == Size)
            return builtIn().size();
        if (option == ImageFormat)
            return int(builtIn().imageFormat());
        return {};
    }

private:
    QImageReader& builtIn() const {
        if (!m_builtIn) {
            m_builtIn = std::make_unique<QImageReader>(device(), QByteArrayLiteral("png"));
            m_builtIn->setAutoDetectImageFormat(false);
        }
        return *m_builtIn;
    }
    mutable std::unique_ptr<QImageReader> m_builtIn;
};

} // namespace

class PngReaderPlugin : public QImageIOPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "png_reader.json")

public:
    Capabilities capabilities(QIODevice*, const QByteArray& format) const override {
        return format == "png" && !readingInside ? CanRead : Capabilities();
    }
    QImageIOHandler* create(QIODevice* device, const QByteArray& format) const override {
        auto* handler = new PngHandler;
        handler->setDevice(device);
        handler->setFormat(format);
        return handler;
    }
};

} // namespace app

// Made by moc for the plugin above, compiled as a static plugin.
extern const QStaticPlugin qt_static_plugin_PngReaderPlugin();

namespace app {

void registerPngReader() {
    static const bool registered = [] {
        qRegisterStaticPluginFunction(qt_static_plugin_PngReaderPlugin());
        return true;
    }();
    (void)registered;
}

} // namespace app

#include "png_reader.moc"
