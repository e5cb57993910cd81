#pragma once

#include "Image.h"
#include "LoadSource.h"

#include <string>

namespace tessary {

struct LoadRequest;

// The runs of an Intel HEX or S-record image that a load writes, read from the image itself.
class ImageSource final : public LoadSource {
  public:
    // Selects the part of the image the request asks for. The file offset and the length pick a
    // window of the image's address range: it starts offset bytes above the image's lowest
    // address and is length bytes long (to the image's end when no length is given). A typed
    // start address moves the window so that its first address lands there; otherwise every
    // record keeps its own address. Gaps stay gaps. False with why set when the window lies past
    // the image or would be moved out of the board's address space.
    // The image is the source's from then on.
    bool Select(image::Image image, const LoadRequest& request, std::string& why);

    const std::vector<LoadRange>& Ranges() const override { return ranges_; }
    bool Read(std::size_t index, int64_t offset, uint8_t* data, int32_t count) override;

  private:
    image::Image image_;
    std::vector<LoadRange> ranges_;
    std::vector<const uint8_t*> starts_; // each range's first byte, in image_
};

} // namespace tessary
