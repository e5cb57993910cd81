#pragma once

#include <string>
#include <vector>

namespace tessary::board {

// One user at a time of a simulated board whose memories live in image files: a claim holds the
// files (flock) until it is released or the process ends, and a second claim of any of them - in
// this process or another - fails at once.
class ImageClaim {
  public:
    ImageClaim() = default;
    ~ImageClaim();
    ImageClaim(const ImageClaim&) = delete;
    ImageClaim& operator=(const ImageClaim&) = delete;

    // Claims every file of the list (empty paths are memories without a file). False with a
    // reason when one is held elsewhere: "busy: PATH is in use by process 1234; ...", the process
    // named where the system can tell. Nothing stays claimed after a failure.
    bool Claim(const std::vector<std::string>& paths, std::string* error);
    void Release();
    bool Held() const { return !fds_.empty(); }

  private:
    std::vector<int> fds_;
};

} // namespace tessary::board
