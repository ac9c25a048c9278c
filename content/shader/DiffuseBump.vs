!!ARBvp1.0
# DiffuseBump.vs - the light vector for the DOT3 bump combiners, and fog by eye distance.
# local[0..3]: the rows of the bump matrix that turns the normal (the light direction in the
# surface's frame) into colour space; env[0]: fog scale and offset.
ATTRIB inPos = vertex.position;
ATTRIB inNormal = vertex.normal;
ATTRIB inTex = vertex.texcoord[0];
PARAM mvp[4] = { state.matrix.mvp };
PARAM modelView[4] = { state.matrix.modelview };
PARAM bump[4] = { program.local[0..3] };
PARAM fog = program.env[0];
PARAM colourScale = { 0.33333333, 0.8, 0.0, 1.0 };
TEMP light, eye, dist;
OUTPUT outPos = result.position;

DP4 outPos.x, mvp[0], inPos;
DP4 outPos.y, mvp[1], inPos;
DP4 outPos.z, mvp[2], inPos;
DP4 outPos.w, mvp[3], inPos;

# Both texture units read the same coordinates: the bump map and the colour map.
MOV result.texcoord[0], inTex;
MOV result.texcoord[1], inTex;

# A unit vector becomes a colour the DOT3 combiner reads back as a direction.
DP3 light.x, bump[0], inNormal;
DP3 light.y, bump[1], inNormal;
DP3 light.z, bump[2], inNormal;
MAD result.color.primary.xyz, light, colourScale.x, colourScale.y;
MOV result.color.primary.w, colourScale.w;

# Fog falls off linearly with the distance from the eye, not with depth.
DP4 eye.x, modelView[0], inPos;
DP4 eye.y, modelView[1], inPos;
DP4 eye.z, modelView[2], inPos;
DP3 dist.x, eye, eye;
RSQ dist.y, dist.x;
RCP dist.z, dist.y;
MAD dist.w, dist.z, fog.x, fog.y;
MAX dist.w, dist.w, colourScale.z;
MIN dist.w, dist.w, colourScale.w;
MOV result.fogcoord.x, dist.w;
END
