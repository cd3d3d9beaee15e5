// tools/gen_bench_obj.cpp -- writes a large OBJ (a textured grid of triangles) for load benchmarks.
#include <cstdio>
#include <cstdlib>

// Usage: gen_bench_obj OUTPUT [TRIANGLES]; the triangle count is rounded up to an even number.
int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: %s OUTPUT.obj [triangles, default 200000]\n", argv[0]);
        return 2;
    }
    long triangles = argc > 2 ? strtol(argv[2], nullptr, 10) : 200000;
    if (triangles < 2) triangles = 2;
    long quads = (triangles + 1) / 2;
    long columns = 400;
    long rows = (quads + columns - 1) / columns;
    FILE* out = fopen(argv[1], "w");
    if (!out) {
        perror(argv[1]);
        return 1;
    }
    fprintf(out, "# generated grid: %ld triangles\nmtllib grid.mtl\n", 2 * quads);
    for (long r = 0; r <= rows; ++r)
        for (long c = 0; c <= columns; ++c)
            fprintf(out, "v %.6f %.6f %.6f\n", c * 0.01, 0.001 * ((r * 7 + c * 13) % 17), r * 0.01);
    for (long r = 0; r <= rows; ++r)
        for (long c = 0; c <= columns; ++c)
            fprintf(out, "vt %.6f %.6f\n", static_cast<double>(c) / columns, static_cast<double>(r) / rows);
    fprintf(out, "usemtl grid\n");
    long written = 0;
    for (long r = 0; r < rows && written < quads; ++r)
        for (long c = 0; c < columns && written < quads; ++c, ++written) {
            long a = r * (columns + 1) + c + 1, b = a + 1, d = a + columns + 1, e = d + 1;
            fprintf(out, "f %ld/%ld %ld/%ld %ld/%ld\n", a, a, b, b, e, e);
            fprintf(out, "f %ld/%ld %ld/%ld %ld/%ld\n", a, a, e, e, d, d);
        }
    fclose(out);
    return 0;
}
