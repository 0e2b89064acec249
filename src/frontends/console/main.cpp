// quorvel: the console front end (interactive action loop and batch commands).
#include <cstdio>

int main() {
  std::fputs("usage: quorvel ACTION --level PATH.scn [options]\n", stderr);
  return 2;
}
