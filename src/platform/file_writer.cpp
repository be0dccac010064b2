#include "platform/file_writer.h"

#include <QSaveFile>

namespace orvik {

bool WriteWholeFile(const QString& path, std::string_view bytes) {
    QSaveFile file(path);
    // Unbuffered, so a short write shows in write()'s result: with a buffer,
    // a flush that writes only part of the data inside commit() can go
    // unnoticed and the truncated file replace the good one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
    const auto size = static_cast<qint64>(bytes.size());
    qint64 done = 0;
    while (done < size) {
        const qint64 n = file.write(bytes.data() + done, size - done);
        if (n <= 0) {
            file.cancelWriting();
            return false;
        }
        done += n;
    }
    if (file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace orvik
