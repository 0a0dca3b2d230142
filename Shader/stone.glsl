// Courses of stone blocks 1.0 long and 0.5 high, every other course shifted by half: the block
// coordinate of a point (along, up) of a wall, whose integer part names the block.
vec2 stoneBlock(vec2 p) {
    float course = floor(p.y / 0.5);
    return vec2(p.x + 0.5 * mod(course, 2.0), p.y / 0.5);
}
