// The Qt image format plugin that lets every Qt application read and write
// WSQ files.
#include <QImageIOPlugin>

#include "wsq_handler.h"

class WsqPlugin : public QImageIOPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "wsq.json")

 public:
  Capabilities capabilities(QIODevice* device, const QByteArray& format) const override {
    if (format == "wsq") return CanRead | CanWrite;
    if (!format.isEmpty() || device == nullptr || !device->isOpen()) return {};
    // Without a format name the plugin only claims what it recognises.
    if (device->isReadable() && WsqHandler::canRead(device)) return CanRead;
    return {};
  }

  QImageIOHandler* create(QIODevice* device, const QByteArray& format) const override {
    auto* handler = new WsqHandler;
    handler->setDevice(device);
    handler->setFormat(format);
    return handler;
  }
};

#include "wsq_plugin.moc"
