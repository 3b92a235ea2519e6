#include "dicomdir/ElementEncoding.h"

#include "dcmtk/dcmdata/dcelem.h"
#include "dcmtk/dcmdata/dcmetinf.h"
#include "dcmtk/dcmdata/dcostrmb.h"

#include <array>

namespace mirabel {

namespace {

constexpr E_TransferSyntax kDicomDirSyntax = EXS_LittleEndianExplicit;
constexpr E_EncodingType kDicomDirEncoding = EET_UndefinedLength;

// The toolkit writes into a fixed buffer and asks to have it emptied whenever it is full.
class EncodedBytes {
  public:
    EncodedBytes() {}  // the buffer needs no zeroing: the toolkit fills what is taken

    bool Write(DcmObject& object, E_TransferSyntax syntax) {
        OFCondition status = EC_StreamNotifyClient;
        while (status == EC_StreamNotifyClient) {
            status = object.write(stream_, syntax, kDicomDirEncoding, nullptr);
            TakeBuffer();
        }
        return status.good();
    }
    std::string Take() { return std::move(bytes_); }

  private:
    void TakeBuffer() {
        void* filled = nullptr;
        offile_off_t length = 0;
        stream_.flushBuffer(filled, length);
        bytes_.append(static_cast<const char*>(filled), static_cast<std::size_t>(length));
    }

    std::array<char, 4096> buffer_;
    DcmOutputBufferStream stream_{buffer_.data(), static_cast<offile_off_t>(buffer_.size())};
    std::string bytes_;
};

bool Write(EncodedBytes& out, DcmObject& object, E_TransferSyntax syntax) {
    object.transferInit();
    const bool written = out.Write(object, syntax);
    object.transferEnd();
    return written;
}

}  // namespace

std::optional<std::string> EncodeElementsBetween(DcmItem& item, const DcmTagKey& from,
                                                 const DcmTagKey& to) {
    EncodedBytes out;
    for (unsigned long i = 0; i < item.card(); ++i) {
        DcmElement* element = item.getElement(i);
        const DcmTagKey tag = element->getTag();
        if (tag <= from || !(tag < to) || tag.getElement() == 0) continue;
        if (!Write(out, *element, kDicomDirSyntax)) return std::nullopt;
    }
    return out.Take();
}

std::optional<std::string> EncodeMetaHeader(DcmItem& metaInfo) {
    EncodedBytes out;
    if (!Write(out, metaInfo, META_HEADER_DEFAULT_TRANSFERSYNTAX)) return std::nullopt;
    return out.Take();
}

}  // namespace mirabel
