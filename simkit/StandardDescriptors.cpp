#include "StandardDescriptors.h"

#include <fcntl.h>

namespace quillon::simkit {

void StandardDescriptors::Occupy() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) < 0) {
            ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        }
    }
}

} // namespace quillon::simkit
