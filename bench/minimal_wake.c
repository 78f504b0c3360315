/* The floor for a command-line wake: exec, one socket, the same magic packet sent COUNT times to
 * 127.0.0.1:PORT, nothing else. Usage: minimal_wake PORT COUNT */
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    const unsigned char mac[6] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    unsigned char packet[102];
    memset(packet, 0xFF, 6);
    for (int i = 0; i < 16; ++i)
        memcpy(packet + 6 + 6 * i, mac, 6);
    struct sockaddr_in to = {0};
    to.sin_family = AF_INET;
    to.sin_port = htons(argc > 1 ? atoi(argv[1]) : 9);
    inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
    const int count = argc > 2 ? atoi(argv[2]) : 3;
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    for (int i = 0; i < count; ++i)
        if (sendto(fd, packet, sizeof packet, 0, (struct sockaddr *)&to, sizeof to) != sizeof packet)
            return 1;
    close(fd);
    return 0;
}
