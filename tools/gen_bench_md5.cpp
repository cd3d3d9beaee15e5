// tools/gen_bench_md5.cpp -- writes the load benchmark's MD5 mesh to the path given.
#include <cstdio>

#include "tools/bench_md5_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: gen_bench_md5 OUTPUT.md5mesh\n");
        return 1;
    }
    if (!benchmesh::writeBenchMesh(argv[1])) {
        fprintf(stderr, "gen_bench_md5: cannot write %s\n", argv[1]);
        return 1;
    }
    printf("%s: %d vertices, %d triangles, %d joints\n", argv[1], benchmesh::kVerts, benchmesh::kTris,
           benchmesh::kJoints);
    return 0;
}
