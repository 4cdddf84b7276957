#pragma once
// A PDF printout on its way to the disk: written through the program's file system into a temporary
// beside the name it is to have, and given that name only when whole, so that a print killed or failed
// halfway leaves no broken file under a printout's name. The temporary is locked while it is written: one
// that no print holds any longer is left over from a killed one, and the next print in the folder clears
// it away.

#include <QIODevice>
#include <string>

namespace fw {

class PdfFile : public QIODevice {
public:
    // Open for writing. Throws EPrinter naming the file and the cause.
    explicit PdfFile(std::string target);
    // Not committed: the temporary goes.
    ~PdfFile() override;
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    const std::string& Target() const { return target_; }
    const std::string& TemporaryPath() const { return temp_; }
    // The whole file on disk under the name given (the one it was opened for, or another when that was
    // taken meanwhile). Throws EPrinter naming the file and the cause.
    void Commit(const std::string& target);

    bool isSequential() const override { return false; }

protected:
    qint64 readData(char* data, qint64 len) override;
    qint64 writeData(const char* data, qint64 len) override;

private:
    void Flush();

    std::string target_;
    std::string temp_;
    int fd_ = -1;
    // Written in large pieces: the PDF writer hands over a few bytes at a time.
    std::string buffer_;
    qint64 bufferAt_ = 0;
    int error_ = 0;
    bool committed_ = false;
};

// "Ispis u datoteku "<file>" nije uspio: <cause>".
std::string PdfWriteError(const std::string& file, int error);

// Removes the PDF temporaries in the folder that no print holds any longer.
void RemoveStalePdfTemporaries(const std::string& folder);

} // namespace fw
