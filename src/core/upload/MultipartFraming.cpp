#include "core/upload/MultipartFraming.h"

namespace tarvix::UploadAPI {

MultipartFraming MultipartFraming::make(std::string_view boundary, std::string_view fileName)
{
    MultipartFraming framing;
    framing.head = "\r\n--";
    framing.head += boundary;
    framing.head += "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"";
    framing.head += fileName;
    framing.head += "\"\r\nContent-Type: application/octet-stream\r\n\r\n";
    framing.tail = "\r\n--";
    framing.tail += boundary;
    framing.tail += "--\r\n";
    return framing;
}

std::string MultipartFraming::contentType(std::string_view boundary)
{
    return "multipart/form-data; boundary=" + std::string(boundary);
}

}  // namespace tarvix::UploadAPI
